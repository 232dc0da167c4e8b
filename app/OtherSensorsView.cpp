#include "app/OtherSensorsView.h"

#include <algorithm>
#include <utility>

OtherSensorsView::OtherSensorsView(CloudView& view, const FrameConverter& converter)
    : view_(view), converter_(converter) {}

std::string OtherSensorsView::cloudId(const SensorId& sensor) {
    return "sensor_" + sensor.textWithPort().toStdString();
}

OtherSensorsView::Other* OtherSensorsView::find(const SensorId& sensor) {
    const auto it = std::find_if(others_.begin(), others_.end(),
                                 [&](const Other& o) { return o.frame.sensor == sensor; });
    return it == others_.end() ? nullptr : &*it;
}

void OtherSensorsView::keep(MuchLidarData frame) {
    Other* other = find(frame.sensor);
    if (other == nullptr) {
        others_.emplace_back();
        other = &others_.back();
    }
    // The previous frame's storage goes with it; frames are moved, never
    // copied.
    other->frame = std::move(frame);
    other->changed = true;
}

void OtherSensorsView::drawChanged(const SettingsOf& settingsOf) {
    for (Other& other : others_) {
        if (!other.changed) {
            continue;
        }
        converter_.convert(other.frame, settingsOf(other.frame.sensor), other.conversion);
        view_.showCloud(other.conversion.shown, cloudId(other.frame.sensor));
        other.changed = false;
        other.drawn = true;
    }
}

void OtherSensorsView::settingsChanged(const SensorId& sensor) {
    if (Other* other = find(sensor)) {
        other->changed = true;
    }
}

bool OtherSensorsView::exchange(const SensorId& sensor, MuchLidarData& shown) {
    Other* other = find(sensor);
    if (other == nullptr) {
        return false;
    }
    // Its cloud is the window's from now on; the sensor that leaves the
    // tools gets a cloud here.
    view_.removeCloud(cloudId(sensor));
    std::swap(other->frame, shown);
    other->changed = true;
    other->drawn = false;
    if (other->frame.empty()) {
        // The tools' sensor had no frame yet: nothing to draw of it.
        others_.erase(others_.begin() + (other - others_.data()));
    }
    return true;
}

void OtherSensorsView::clear() {
    for (const Other& other : others_) {
        view_.removeCloud(cloudId(other.frame.sensor));
    }
    others_.clear();
}

std::vector<OtherSensorsView::Shown> OtherSensorsView::clouds() const {
    std::vector<Shown> shown;
    for (const Other& other : others_) {
        if (other.drawn) {
            shown.push_back({other.frame.sensor, other.conversion.shown.get()});
        }
    }
    return shown;
}
