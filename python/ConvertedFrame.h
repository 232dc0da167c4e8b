#pragma once

#include "lidar/SensorId.h"
#include "python/PointBuffer.h"

#include <cstdint>

// A frame ready for Python: its points as array rows, its number among its
// sensor's frames (from 1, as the CSV export's FrameNumbers), when its last
// datagram was captured or received (nanoseconds since 1970) and the sensor
// that sent it.
struct ConvertedFrame {
    PointBuffer points{0};
    int number = 0;
    std::int64_t time = 0;
    SensorId sensor;
};
