#pragma once

#include "lidar/ChannelGeometry.h"
#include "lidar/ChannelSelection.h"
#include "lidar/MuchLidarData.h"
#include "lidar/PoseTransform.h"
#include "lidar/RangeImage.h"

#include <QDockWidget>
#include <QImage>
#include <functional>
#include <optional>

class CloudView;
class QStatusBar;
class RangeImageWidget;

// The range image dock: the frame on screen as a picture of channels by
// azimuth steps (RangeImage), redrawn with each drawn frame while the dock
// is shown. Hovering a pixel tells its point in the status bar, clicking
// marks the point in the 3D view, and the context menu saves the picture
// as a PNG at one pixel per bin.
class RangeImagePanel : public QDockWidget {
    Q_OBJECT
public:
    // What the picture is drawn from, read at each draw.
    struct Sources {
        // The frame on screen; it must stay until the next draw.
        std::function<const MuchLidarData&()> frame;
        // The channels shown, or null for all.
        std::function<const ChannelSelection*()> channels;
        std::function<int()> colourMode;
        // Optional: the frame's sensor's colour in the colour mode
        // "Sensor", and where its points stand in the 3D view.
        std::function<Rgb()> sensorColour = {};
        std::function<PoseTransform()> placement = {};
    };

    static constexpr const char* kMarkCloudId = "rangeImage_mark";

    RangeImagePanel(const ChannelGeometry& geometry, CloudView& view, QStatusBar& statusBar,
                    Sources sources, std::function<void(const QString&)> showTips,
                    QWidget* parent = nullptr);
    ~RangeImagePanel() override;

    // A frame was drawn: the picture follows while the panel is shown.
    void frameDrawn();
    // The view was cleared: an empty picture until the next frame.
    void clear();

    const RangeImage& image() const { return image_; }
    // The picture at one pixel per bin, as it is saved.
    const QImage& picture() const { return picture_; }
    RangeImageWidget& widget() const { return *widget_; }

    // The status-bar text of a pixel.
    QString describePixel(int column, int row) const;
    // Marks the point of a pixel in the 3D view; false (and no mark) when
    // the pixel holds no point of the frame on screen.
    bool markPixel(int column, int row);

    void saveAs();
    bool saveTo(const QString& path);

private:
    void draw(const MuchLidarData& frame);
    // The point of the frame on screen drawn at a pixel. Checked against
    // the frame, which may be newer than the picture until the next draw.
    std::optional<std::size_t> pointOfPixel(int column, int row) const;

    const ChannelGeometry& geometry_;
    CloudView& view_;
    QStatusBar& statusBar_;
    Sources sources_;
    std::function<void(const QString&)> showTips_;
    RangeImage image_;
    QImage picture_;
    bool framed_ = false; // a frame with points was drawn
    RangeImageWidget* widget_;
};
