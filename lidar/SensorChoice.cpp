#include "lidar/SensorChoice.h"

std::optional<SensorId> SensorChoice::shown() const {
    if (chosen_) {
        return chosen_;
    }
    if (heard_.size() == 0) {
        return std::nullopt;
    }
    return heard_.sensors().front();
}
