#pragma once

#include "formats/PointCloud2Message.h"
#include "lidar/CsvExportFilter.h"
#include "lidar/ExportedPoints.h"
#include "lidar/MuchLidarData.h"

#include <cstdint>
#include <string>
#include <vector>

// The points of a frame as the rows of a PointCloud2 message: x, y, z in
// metres, intensity (float32), channel (uint16, then 2 bytes of padding so
// that every float stays aligned), azimuth in degrees and distance in metres
// (float32): the values of the CSV rows, in their order.
namespace FramePointCloud2 {

constexpr std::uint32_t kPointStep = 28;

std::vector<PointCloud2Message::Field> fields();

// Appends the points of `frame` that pass `filter`; returns how many.
std::size_t append(std::string& out, const MuchLidarData& frame, ExportedPoints& points,
                   const CsvExportFilter& filter);

} // namespace FramePointCloud2
