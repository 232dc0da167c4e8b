#pragma once

#include "lidar/SensorId.h"
#include "lidar/SensorTable.h"

#include <optional>
#include <vector>

// Which of the sensors sending to the window is shown: the one chosen, or
// else the first heard. Frames of the others are not shown at all.
class SensorChoice {
public:
    // A frame of `sensor` arrived; true when the sensor is new.
    bool heard(const SensorId& sensor) {
        const int before = heard_.size();
        heard_.admit(sensor);
        return heard_.size() != before;
    }
    bool shows(const SensorId& sensor) const {
        const std::optional<SensorId> s = shown();
        return s && *s == sensor;
    }
    std::optional<SensorId> shown() const;

    void choose(const SensorId& sensor) { chosen_ = sensor; }
    bool chosen() const { return chosen_.has_value(); }
    void clearChoice() { chosen_.reset(); }

    // The sensors heard, first heard first.
    const std::vector<SensorId>& sensors() const { return heard_.sensors(); }
    // Another run begins: who sends is learnt again; the choice stays.
    void forgetHeard() { heard_.clear(); }

private:
    SensorTable heard_;
    std::optional<SensorId> chosen_;
};
