#pragma once

#include "lidar/SensorId.h"

#include <cstdint>
#include <vector>

// What the receiver counted of one sensor since it started: data datagrams,
// frames cut and the points of those frames.
struct SensorCounts {
    SensorId sensor;
    std::uint64_t datagrams = 0;
    std::uint64_t frames = 0;
    std::uint64_t points = 0;
};

// What a sensors list shows of one sensor.
struct SensorFigures {
    SensorId sensor;
    int order = 0; // 0 for the first sensor heard
    double datagramsPerSecond = 0;
    double framesPerSecond = 0;
    // Of the frames cut since the previous sample; the last known value
    // when none was.
    double pointsPerFrame = 0;
};

// Turns samples of the per-sensor counts, taken about once a second, into
// the figures of each sensor, in the order first heard. Times are seconds
// on one monotonic clock. Counts that went down (the receiver started
// again) are taken as counted from 0 since the previous sample.
class SensorStatistics {
public:
    // `counts` in the order first heard, as the receiver lists them.
    const std::vector<SensorFigures>& sample(double now, const std::vector<SensorCounts>& counts);
    const std::vector<SensorFigures>& figures() const { return figures_; }
    void reset();

private:
    const SensorCounts* previousOf(const SensorId& sensor) const;
    const SensorFigures* figuresOf(const SensorId& sensor) const;

    std::vector<SensorCounts> previous_;
    double previousAt_ = 0;
    bool sampled_ = false;
    std::vector<SensorFigures> figures_;
};
