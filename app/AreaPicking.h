#pragma once

#include "lidar/FrameConverter.h"
#include "lidar/MuchLidarData.h"
#include "lidar/SelectionBox.h"

#include <QObject>
#include <boost/signals2/connection.hpp>
#include <functional>

class CloudView;
class QWidget;
namespace pcl {
namespace visualization {
class AreaPickingEvent;
} // namespace visualization
} // namespace pcl

// Area selection in the 3D view and the selection box it leaves. Arming
// hands the visualizer its own key for the rubber band (x); a completed
// drag picks points of the frame cloud, draws them in blue, takes their
// bounding box, disarms, and lists the frame's points inside that box with
// their statistics. The box, whether a selection exists and the number of
// picked points are read by the frame conversion and the CSV export.
class AreaPicking : public QObject {
    Q_OBJECT
public:
    // What picking reads from and hands to the window.
    struct WindowHooks {
        // The frame on screen and the cloud drawn from it; the view's
        // indices refer to that cloud.
        std::function<const MuchLidarData&()> lastFrame;
        std::function<const FrameConversion::Cloud&()> shownCloud;
        // The channels shown, or null for all.
        std::function<const ChannelSelection*()> channels;
        // Starts the data list afresh with these rows and sets the labels.
        std::function<void(const SelectionListing&)> showListing;
    };

    AreaPicking(CloudView& view, const FrameConverter& converter, QWidget& window,
                WindowHooks hooks);
    ~AreaPicking() override;

    // The Select button: forgets the box and the selection, then arms the
    // rubber band, or disarms it when armed.
    void toggleArming();
    // The rubber band is armed in the visualizer.
    bool armed() const;

    bool selectionActive() const { return selectionActive_; }
    int selectedCount() const { return selectedCount_; }
    const SelectionBox& box() const { return box_; }
    // The mouse-point text follows each frame.
    bool annotationEnabled() const { return annotationEnabled_; }

    // A box typed in; it takes effect while a selection exists.
    void setBox(const SelectionBox& box) { box_ = box; }
    // Clear: no box, no selection.
    void clear();

private:
    void onAreaPicked(const pcl::visualization::AreaPickingEvent& event);
    void pressSelectionKey();
    void showArmed(bool armed);

    CloudView& view_;
    const FrameConverter& converter_;
    QWidget& window_;
    WindowHooks hooks_;
    boost::signals2::connection callback_;

    bool selectionActive_ = false;
    int selectedCount_ = 0;
    SelectionBox box_;
    bool annotationEnabled_ = true;
};
