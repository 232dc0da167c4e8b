#pragma once

#include "lidar/ChannelGeometry.h"
#include "lidar/FrameCloudFile.h"
#include "lidar/MuchLidarData.h"
#include "lidar/PoseTransform.h"
#include "lidar/SelectionBox.h"

#include <QString>
#include <functional>
#include <optional>

class CloudView;
class QWidget;

// "Save image" and "Save frame as": the 3D view as a PNG file at its size on
// screen, and the frame on screen as a PCD, PLY or LAS file with the points the
// single-frame CSV would hold. Files are chosen in save dialogs under a
// proposed name with the local date and time; refusals and failures go to
// "Tips" boxes.
class ViewSaving {
public:
    // `showTips` gets refusals and failures, `showDone` what was written.
    ViewSaving(CloudView& view, const ChannelGeometry& geometry, QWidget* window,
               std::function<void(const QString&)> showTips,
               std::function<void(const QString&)> showDone);

    void saveImage();
    bool saveImageTo(const QString& path);

    // Asks where to save a PNG image (in the folder of the last one); the
    // path ends in .png, or is empty when the user cancelled.
    static QString choosePngPath(QWidget* parent, const QString& caption);

    // `frame` is taken as it is now: frames arriving while the dialog is
    // open do not change what is saved. `pose` places the points.
    void saveFrame(const MuchLidarData& frame, const std::optional<SelectionBox>& box,
                   const PoseTransform& pose = {});

private:
    // The points to save, or nothing (and a "Tips" box) when there are none.
    std::optional<FramePointCloud> pointsToSave(const MuchLidarData& frame,
                                                const std::optional<SelectionBox>& box,
                                                const PoseTransform& pose);
    bool write(const FramePointCloud& points, const QString& path);

    CloudView& view_;
    const ChannelGeometry& geometry_;
    QWidget* window_;
    std::function<void(const QString&)> showTips_;
    std::function<void(const QString&)> showDone_;
};
