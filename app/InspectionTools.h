#pragma once

#include "app/CloudView.h"
#include "lidar/ChannelGeometry.h"
#include "lidar/ChannelSelection.h"
#include "lidar/MuchLidarData.h"
#include "lidar/PointColour.h"
#include "lidar/PoseTransform.h"

#include <QString>
#include <functional>
#include <memory>

namespace Ui {
class manwindowClass;
}
class QMainWindow;
class RangeImagePanel;
class RulerTool;
class TrailView;

// The inspection tools wired to their controls: the range image dock
// (toolButton_RangeImage) and the ruler (toolButton_Ruler, m in the view) on
// the "Lidar" tab, the frame trail (spinBox_Trail) on the "Vantor" tab. The
// window calls it around each draw and on Clear; with every tool off the
// calls change nothing.
class InspectionTools {
public:
    struct Sources {
        // The frame on screen and the cloud drawn from it.
        std::function<const MuchLidarData&()> frame;
        std::function<const CloudView::Cloud&()> shownCloud;
        // The channels shown, or null for all.
        std::function<const ChannelSelection*()> channels;
        std::function<int()> colourMode;
        std::function<void(const QString&)> showTips;
        // Optional: the frame's sensor's colour in the colour mode "Sensor"
        // and where its points stand (see RangeImagePanel).
        std::function<Rgb()> sensorColour = {};
        std::function<PoseTransform()> placement = {};
    };

    InspectionTools(QMainWindow& window, Ui::manwindowClass& ui, CloudView& view,
                    const ChannelGeometry& geometry, Sources sources);
    ~InspectionTools();

    // Before the next frame is converted into `shown`, the cloud on screen
    // now; an exported frame leaves the view, the trail and the range image
    // empty.
    void beforeDraw(const CloudView::Cloud::ConstPtr& shown, bool exported);
    // After the frame was drawn.
    void afterDraw();
    // Clear, or another capture: the measurement, the older frames and the
    // range image go.
    void clear();

    RangeImagePanel& rangeImage() { return *rangeImage_; }
    RulerTool& ruler() { return *ruler_; }
    TrailView& trail() { return *trail_; }

private:
    bool exported_ = false;
    std::unique_ptr<TrailView> trail_;
    std::unique_ptr<RulerTool> ruler_;
    RangeImagePanel* rangeImage_;
};
