#pragma once

#include "lidar/CsvExportFilter.h"
#include "python/SensorAddress.h"

#include <optional>

// The frames a loop asks for and the points it keeps of them, as
// lidar-export's --skip, --frames, --channels, --min-angle and --max-angle
// choose them, and the sensor they come from.
struct FrameSelection {
    int skip = 0;
    int count = 0; // 0: every frame
    CsvExportFilter filter;
    std::optional<SensorAddress> source;

    bool wants(const SensorAddress& sensor) const { return !source || sensor.matches(*source); }
};
