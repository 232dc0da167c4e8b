#pragma once

#include "python/SensorAddress.h"

#include <cstdint>

// vantor.Sensor: a sensor of a capture with what it sent.
struct PythonSensor {
    SensorAddress address;
    std::uint64_t datagrams = 0;
    int frames = 0;
};
