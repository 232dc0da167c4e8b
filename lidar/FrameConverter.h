#pragma once

#include "lidar/BoxStatistics.h"
#include "lidar/ChannelGeometry.h"
#include "lidar/ChannelSelection.h"
#include "lidar/DataListRow.h"
#include "lidar/MuchLidarData.h"
#include "lidar/PointColour.h"
#include "lidar/PoseTransform.h"
#include "lidar/SelectionBox.h"

#include <pcl/point_cloud.h>
#include <pcl/point_types.h>
#include <vector>

// What the conversion of one frame reads besides the frame.
struct FrameSettings {
    const ChannelSelection* channels = nullptr; // all channels when null
    int colourMode = 0;                         // index of the colour-mode combo box
    SelectionBox box;
    bool selectionActive = false;
    int selectedCount = 0;
    // Where the points are placed (identity: the sensor's own coordinates);
    // the box, the rows and the elevation colours take the placed points.
    PoseTransform pose;
    // The colour of every point in the colour mode "Sensor".
    Rgb sensorColour;
};

// What one frame turns into. The clouds keep their storage from frame to
// frame.
struct FrameConversion {
    using Cloud = pcl::PointCloud<pcl::PointXYZRGB>;

    Cloud::Ptr shown{new Cloud};
    Cloud::Ptr inBox{new Cloud};
    // Data-list rows, indices 0..n-1 in order: without a selection the first
    // shown points, which go over the top of the list; with one, the whole
    // list, as for a fresh selection.
    std::vector<DataListRow> rows;
    BoxStatistics statistics;
};

// The data list and statistics of a fresh area selection: every shown point
// of the frame inside the box, its row wrapping to 0 once it reaches the
// number of picked points, so a row holds the last point that reached it.
struct SelectionListing {
    std::vector<DataListRow> rows; // rows 0..n-1, n at most the picked count
    BoxStatistics statistics;
};

// Turns a frame into coloured display points, data-list rows and the
// statistics of the selection box.
class FrameConverter {
public:
    // Rows written per frame while no area selection exists.
    static constexpr int kListedPoints = 256;

    explicit FrameConverter(const ChannelGeometry& geometry) : geometry_(geometry) {}

    void convert(const MuchLidarData& frame, const FrameSettings& settings,
                 FrameConversion& out) const;

    // `channels` null means all channels; `pose` places the points as the
    // frame's conversion placed them.
    SelectionListing listSelection(const MuchLidarData& frame, const ChannelSelection* channels,
                                   const SelectionBox& box, int pickedCount,
                                   const PoseTransform& pose = {}) const;

private:
    const ChannelGeometry& geometry_;
};
