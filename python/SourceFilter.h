#pragma once

#include "lidar/SensorId.h"

#include <optional>

// lidar-export's --source: the frames of the first sensor heard that the
// source as typed names (an address alone names any of its ports), as if
// no other sensor sent; with no source, those of every sensor.
class SourceFilter {
public:
    explicit SourceFilter(const std::optional<SensorId>& typed) : typed_(typed) {}

    bool wants(const SensorId& sensor) {
        if (!typed_) {
            return true;
        }
        if (!chosen_ && typed_->matches(sensor)) {
            chosen_ = sensor;
        }
        return chosen_ == sensor;
    }

private:
    std::optional<SensorId> typed_;
    std::optional<SensorId> chosen_;
};
