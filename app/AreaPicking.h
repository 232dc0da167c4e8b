#pragma once

#include "lidar/FrameConverter.h"
#include "lidar/FrustumPick.h"
#include "lidar/MuchLidarData.h"
#include "lidar/SelectionBox.h"

#include <QObject>
#include <QPoint>
#include <QRect>
#include <functional>
#include <optional>
#include <vector>

class CloudView;
class QRubberBand;
class QWidget;

// Area selection in the 3D view and the selection box it leaves. Armed (the
// Select button, or x in the view), a drag with the left button shows its
// rectangle over the view, however often the view redraws meanwhile; on
// release the rubber band is disarmed and the points of the frame cloud
// inside the frustum through the rectangle are picked on the CPU, drawn in
// blue, and their bounding box becomes the selection box; the frame's
// points inside that box are listed with their statistics. A rectangle that
// catches no point leaves no selection and an empty list. The box, whether
// a selection exists and the number of picked points are read by the frame
// conversion and the CSV export.
class AreaPicking : public QObject {
    Q_OBJECT
public:
    // What picking reads from and hands to the window.
    struct WindowHooks {
        // The frame on screen and the cloud drawn from it; picked indices
        // refer to that cloud.
        std::function<const MuchLidarData&()> lastFrame;
        std::function<const FrameConversion::Cloud&()> shownCloud;
        // The channels shown, or null for all.
        std::function<const ChannelSelection*()> channels;
        // Starts the data list afresh with these rows and sets the labels.
        std::function<void(SelectionListing)> showListing;
        // Optional. Called before the points are picked, with the frustum
        // and the corner where the drag began: with several sensors shown,
        // the window may give the tools to the sensor under the pick, whose
        // frame and cloud the hooks above give from then on.
        std::function<void(const FrustumPick& frustum, ViewPoint start)> beforePick = {};
        // Optional. Where the frame's points stand, as they were drawn
        // (none: as the sensor gives them).
        std::function<PoseTransform()> placement = {};
    };

    AreaPicking(CloudView& view, const FrameConverter& converter, QWidget& window,
                WindowHooks hooks);
    ~AreaPicking() override;

    // The Select button: forgets the box and the selection, then arms the
    // rubber band, or disarms it when armed.
    void toggleArming();
    bool armed() const { return armed_; }
    // The rectangle being dragged, in the view's widget coordinates.
    std::optional<QRect> band() const;

    bool selectionActive() const { return selectionActive_; }
    int selectedCount() const { return selectedCount_; }
    const SelectionBox& box() const { return box_; }
    // The mouse-point text follows each frame.
    bool annotationEnabled() const { return annotationEnabled_; }
    // The indices of the frame cloud that the last rectangle picked, if any.
    const std::vector<int>& pickedIndices() const { return picked_; }

    // A box typed in; it takes effect while a selection exists.
    void setBox(const SelectionBox& box) { box_ = box; }
    // Clear: no box, no selection.
    void clear();

signals:
    // A selection came or went: selectionActive() changed.
    void SendSelectionChanged(bool active);
    // Whether the next drag in the view selects.
    void armedChanged(bool armed);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool mouseWhileArmed(QEvent* event);
    void pick(ViewRectangle rectangle);
    void showArmed(bool armed);
    void setSelectionActive(bool active);

    CloudView& view_;
    const FrameConverter& converter_;
    QWidget& window_;
    WindowHooks hooks_;
    QRubberBand* band_;
    std::optional<QPoint> dragStart_; // widget coordinates

    bool armed_ = false;
    bool selectionActive_ = false;
    int selectedCount_ = 0;
    SelectionBox box_;
    bool annotationEnabled_ = true;
    std::vector<int> picked_;
};
