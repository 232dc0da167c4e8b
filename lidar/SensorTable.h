#pragma once

#include "lidar/SensorId.h"

#include <cstdint>
#include <vector>

// The sensors heard on one port or in one capture, in the order first
// heard, at most `capacity` of them: datagrams from further sources are
// counted and refused, so that forged source addresses cannot make it grow.
class SensorTable {
public:
    static constexpr int kMaxSensors = 16;

    explicit SensorTable(int capacity = kMaxSensors) : capacity_(capacity) {
        sensors_.reserve(static_cast<std::size_t>(capacity));
    }

    // The index of `sensor` for one of its datagrams, the sensor added when
    // it is new and there is room; -1 when the table is full, the datagram
    // counted as refused.
    int admit(const SensorId& sensor) {
        // Datagrams come in runs from one sensor: the last one first.
        if (last_ >= 0 && sensors_[static_cast<std::size_t>(last_)] == sensor) {
            return last_;
        }
        int index = find(sensor);
        if (index < 0) {
            if (size() >= capacity_) {
                ++refused_;
                return -1;
            }
            sensors_.push_back(sensor);
            index = size() - 1;
        }
        last_ = index;
        return index;
    }

    // The index of a sensor heard, or -1.
    int find(const SensorId& sensor) const {
        for (std::size_t i = 0; i < sensors_.size(); ++i) {
            if (sensors_[i] == sensor) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    const std::vector<SensorId>& sensors() const { return sensors_; }
    int size() const { return static_cast<int>(sensors_.size()); }
    int capacity() const { return capacity_; }
    // Datagrams refused because the table was full.
    std::uint64_t refused() const { return refused_; }

    // Forgets every sensor and the refused count.
    void clear() {
        sensors_.clear();
        last_ = -1;
        refused_ = 0;
    }

private:
    int capacity_;
    std::vector<SensorId> sensors_;
    int last_ = -1;
    std::uint64_t refused_ = 0;
};
