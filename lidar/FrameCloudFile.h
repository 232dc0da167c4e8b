#pragma once

#include "lidar/ChannelGeometry.h"
#include "lidar/CsvExportFilter.h"
#include "lidar/FramePoint.h"
#include "lidar/MuchLidarData.h"

#include <QString>
#include <optional>

// A frame saved as a point-cloud file by the point-cloud library's own
// writers: PCD (binary) or PLY (binary little-endian), with the fields x, y,
// z, intensity and channel.
namespace FrameCloudFile {

enum class Format { Pcd, Ply };

// The points a file of `frame` holds: those the single-frame CSV holds,
// in its order.
FramePointCloud pointsOf(const MuchLidarData& frame, const ChannelGeometry& geometry,
                         const CsvExportFilter& filter);

// The format a file name asks for by its suffix (case ignored).
std::optional<Format> formatOf(const QString& path);

// Writes the file (replacing it); the reason when that failed, else empty.
QString write(const FramePointCloud& points, const QString& path, Format format);

} // namespace FrameCloudFile
