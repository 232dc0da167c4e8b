#pragma once

#include "lidar/SensorStatistics.h"

#include <QString>
#include <cstdint>
#include <vector>

// What --list-sensors prints: a line per sensor, first heard first, with
// its data datagrams and whole frames (its datagrams between its first and
// last marker), and the datagrams of sources beyond the bound on sensors.
//
//   10.0.0.2:2368  3021 datagrams  6 frames
namespace SensorListing {

QString text(const std::vector<SensorCounts>& sensors, std::uint64_t refused);

} // namespace SensorListing
