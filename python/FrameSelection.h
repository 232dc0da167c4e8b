#pragma once

#include "lidar/CsvExportFilter.h"
#include "lidar/SensorId.h"

#include <optional>

// The frames a loop asks for and the points it keeps of them, as
// lidar-export's --skip, --frames, --channels, --min-angle, --max-angle and
// --source choose them: skip and count apply to each sensor's frames.
struct FrameSelection {
    int skip = 0;
    int count = 0; // 0: every frame
    CsvExportFilter filter;
    // The sensor wanted, as typed (a port of 0 takes any port of the
    // address): the first sensor heard that it names. None: every sensor.
    std::optional<SensorId> source;
};
