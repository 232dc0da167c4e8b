#include "lidar/SensorChoice.h"

bool SensorChoice::heard(const SensorId& sensor, bool mayChange) {
    const int before = heard_.size();
    heard_.admit(sensor);
    if (heard_.size() == before) {
        return false;
    }
    // Another sensor chosen by hand in this run stays chosen.
    if (mayChange && live_ && preferred_ && preferred_->matches(sensor) && !showsAll() &&
        !(chosen_ && preferred_->matches(*chosen_))) {
        chosen_ = sensor;
    }
    return true;
}

std::optional<SensorId> SensorChoice::shown() const {
    if (showsAll()) {
        // Every sensor heard is shown: the tools go to one of them.
        for (const std::optional<SensorId>& s : {focus_, chosen_}) {
            if (s && heard_.find(*s) >= 0) {
                return s;
            }
        }
    } else if (chosen_) {
        return chosen_;
    }
    if (heard_.size() == 0) {
        return std::nullopt;
    }
    return heard_.sensors().front();
}

void SensorChoice::choose(const SensorId& sensor) {
    chosen_ = sensor;
    preferred_ = sensor;
    all_ = false;
    focus_.reset();
}

void SensorChoice::chooseAll() {
    if (showsAll()) {
        return;
    }
    focus_ = shown();
    all_ = true;
}

void SensorChoice::prefer(const Preference& preference) {
    preferred_ = preference.sensor;
    all_ = preference.all;
    focus_.reset();
}

void SensorChoice::startRun(bool live) {
    heard_.clear();
    live_ = live;
    if (!live) {
        chosen_.reset();
        focus_.reset();
    }
}
