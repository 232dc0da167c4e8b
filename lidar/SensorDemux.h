#pragma once

#include "lidar/FrameCutter.h"
#include "lidar/SensorTable.h"

#include <vector>

// Cuts the data datagrams of several sensors into frames: one FrameCutter
// per sensor (SensorTable: first heard first, bounded), so that no frame
// holds points of two sensors, and each sensor's frames are exactly those
// its datagrams alone give. Every frame carries its sensor. The live
// receiver, the export tool and whoever else turns datagrams into frames
// share this one.
class SensorDemux {
public:
    using ChannelFlags = FrameCutter::ChannelFlags;

    explicit SensorDemux(int capacity = SensorTable::kMaxSensors) : table_(capacity) {
        wanted_.fill(true);
        cutters_.reserve(static_cast<std::size_t>(capacity));
    }

    // The channels every cutter keeps, also those of sensors heard later.
    // May be called from onFrame: it applies from the next group.
    void setChannelFilter(const ChannelFlags& wanted) {
        wanted_ = wanted;
        for (FrameCutter& cutter : cutters_) {
            cutter.setChannelFilter(wanted);
        }
    }

    // The channels of one sensor's cutter alone, from its next group on.
    void setChannelFilter(int sensor, const ChannelFlags& wanted) {
        cutters_[static_cast<std::size_t>(sensor)].setChannelFilter(wanted);
    }

    // Feeds one payload (see FrameCutter::feed) that came from `source`.
    // `onFrame(int sensor, const MuchLidarData&)` is called for each frame
    // it completes, with the sensor's index. Returns that index, or -1 when
    // the payload was refused because the sensors are at their bound.
    template <class OnFrame>
    int feed(const SensorId& source, const std::uint8_t* payload, OnFrame&& onFrame) {
        const int sensor = table_.admit(source);
        if (sensor < 0) {
            return -1;
        }
        if (sensor == static_cast<int>(cutters_.size())) {
            cutters_.emplace_back();
            cutters_.back().setChannelFilter(wanted_);
            cutters_.back().setSensor(source);
        }
        cutters_[static_cast<std::size_t>(sensor)].feed(
            payload, [&](const MuchLidarData& frame) { onFrame(sensor, frame); });
        return sensor;
    }

    const std::vector<SensorId>& sensors() const { return table_.sensors(); }
    int sensorCount() const { return table_.size(); }
    int find(const SensorId& sensor) const { return table_.find(sensor); }
    // Datagrams refused for the bound on sensors.
    std::uint64_t refused() const { return table_.refused(); }
    const FrameCutter& cutter(int sensor) const {
        return cutters_[static_cast<std::size_t>(sensor)];
    }

    // Forgets every sensor and its working frame.
    void clear() {
        table_.clear();
        cutters_.clear();
    }

private:
    SensorTable table_;
    std::vector<FrameCutter> cutters_;
    ChannelFlags wanted_{};
};
