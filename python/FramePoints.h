#pragma once

#include "lidar/ChannelGeometry.h"
#include "lidar/CsvExportFilter.h"
#include "lidar/ExportedPoints.h"
#include "lidar/MuchLidarData.h"
#include "python/PointBuffer.h"

// The points of a frame as the rows of its NumPy array: the points the CSV
// export writes, in its order (by channel, then as received), with its
// values, computed by the same code (ExportedPoints).
class FramePoints {
public:
    FramePoints() : points_(geometry_) {}
    FramePoints(const FramePoints&) = delete;
    FramePoints& operator=(const FramePoints&) = delete;

    PointBuffer convert(const MuchLidarData& frame, const CsvExportFilter& filter);

private:
    ChannelGeometry geometry_;
    ExportedPoints points_;
};
