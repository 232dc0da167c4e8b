#pragma once

#include "lidar/MuchLidarData.h"
#include "lidar/SensorDemux.h"
#include "lidar/SensorStatistics.h"

#include <cstdint>
#include <vector>

// The frame source of the Python module: the data payloads of a stream, in
// order, each with the sensor that sent it, become each sensor's frames
// (SensorDemux), and every sensor's datagrams and whole frames are counted,
// as lidar-export --list-sensors counts them.
class SensorFrames {
public:
    using ChannelFlags = SensorDemux::ChannelFlags;

    SensorFrames() { counts_.reserve(SensorTable::kMaxSensors + 1); }

    // Only the points of these channels are decoded, of every sensor.
    void setChannelFilter(const ChannelFlags& channels) { demux_.setChannelFilter(channels); }
    // The same for one sensor alone; may be called from onFrame.
    void setChannelFilter(int sensor, const ChannelFlags& channels) {
        demux_.setChannelFilter(sensor, channels);
    }

    // Calls `onFrame(int sensor, const MuchLidarData&)` for each frame that
    // `payload` completes, with the sensor's index (first heard first).
    // Payloads of sources beyond the bound on sensors are dropped.
    template <class OnFrame>
    void feed(const SensorId& source, const std::uint8_t* payload, OnFrame&& onFrame) {
        // Room for a sensor first heard in this payload.
        if (counts_.size() <= static_cast<std::size_t>(demux_.sensorCount())) {
            counts_.emplace_back();
        }
        const int sensor = demux_.feed(source, payload, [&](int s, const MuchLidarData& frame) {
            ++counts_[static_cast<std::size_t>(s)].frames;
            onFrame(s, frame);
        });
        if (sensor >= 0) {
            SensorCounts& counts = counts_[static_cast<std::size_t>(sensor)];
            counts.sensor = source;
            ++counts.datagrams;
        }
    }

    int sensorCount() const { return demux_.sensorCount(); }

    // The frame of the first sensor heard that its payloads now being fed
    // belong to, counted from 1; 0 before its first frame marker.
    int currentFrame() const {
        return demux_.sensorCount() == 0
                   ? 0
                   : static_cast<int>(counts_.front().frames) + demux_.cutter(0).markerCount();
    }

    // The sensors heard so far, first heard first, with their datagrams and
    // whole frames.
    std::vector<SensorCounts> sensors() const {
        return {counts_.begin(), counts_.begin() + demux_.sensorCount()};
    }

private:
    SensorDemux demux_;
    std::vector<SensorCounts> counts_;
};
