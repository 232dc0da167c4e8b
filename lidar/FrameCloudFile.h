#pragma once

#include "lidar/ChannelGeometry.h"
#include "lidar/CsvExportFilter.h"
#include "lidar/FramePoint.h"
#include "lidar/MuchLidarData.h"

#include <QString>
#include <cstdint>
#include <optional>

// A frame saved as a point-cloud file: PCD (binary) or PLY (binary
// little-endian) with the fields x, y, z, intensity and channel
// (BinaryCloudFile), or LAS (1.2, point format 1; LasFile) with x, y, z in
// millimetres, the intensity, the channel as user data and the frame's time
// as every point's GPS time.
namespace FrameCloudFile {

enum class Format { Pcd, Ply, Las };

// The points a file of `frame` holds: those the single-frame CSV holds,
// in its order.
FramePointCloud pointsOf(const MuchLidarData& frame, const ChannelGeometry& geometry,
                         const CsvExportFilter& filter);

// The format a file name asks for by its suffix (case ignored).
std::optional<Format> formatOf(const QString& path);
// The suffix of a format's files, without the dot.
QString suffixOf(Format format);

// Writes the file (replacing it) under a temporary name, which it gets only
// once whole (PartFile); the file and the reason when that failed, else
// empty. `software` is the program and its version, which a LAS file names
// as its generating software. `captureTime` (nanoseconds since 1970) is the
// GPS time and creation day of a LAS file; without one the GPS time is 0 and
// the day today's.
QString write(const FramePointCloud& points, const QString& path, Format format,
              const QString& software, std::optional<std::int64_t> captureTime = std::nullopt);

} // namespace FrameCloudFile
