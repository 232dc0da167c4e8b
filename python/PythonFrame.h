#pragma once

#include "python/ConvertedFrame.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>

// A frame as Python holds it: its points as a NumPy structured array that
// owns the memory they were converted into (no copy), and the frame's
// number, time and sensor.
class PythonFrame {
public:
    // Needs the GIL.
    explicit PythonFrame(ConvertedFrame&& frame);

    const pybind11::array& points() const { return points_; }
    int number() const { return number_; }
    std::int64_t timeNs() const { return timeNs_; }
    const SensorId& sensor() const { return sensor_; }
    std::size_t size() const { return static_cast<std::size_t>(points_.shape(0)); }

private:
    pybind11::array points_;
    int number_;
    std::int64_t timeNs_;
    SensorId sensor_;
};
