#pragma once

#include "lidar/SensorId.h"
#include "lidar/SensorTable.h"

#include <optional>
#include <vector>

// Which of the sensors sending to the window are shown: one sensor, the
// one chosen or else the first heard, or all of them together ("All
// sensors"). With all shown, the tools (picking, the data list, exports)
// still work on one of them: the one shown before, until another is
// focused. Frames of sensors not shown are not shown at all.
//
// A preference (kept between runs, by address) chooses its sensor as soon
// as that sensor is heard; choosing makes the chosen sensor the preference.
class SensorChoice {
public:
    // A frame of `sensor` arrived; true when the sensor is new. A new sensor
    // that the preference names is chosen, unless `mayChange` is false (the
    // sensor shown must stay).
    bool heard(const SensorId& sensor, bool mayChange = true);
    // Whether frames of `sensor` are shown.
    bool shows(const SensorId& sensor) const {
        if (showsAll()) {
            return true;
        }
        const std::optional<SensorId> s = shown();
        return s && *s == sensor;
    }
    // The sensor shown alone (the one chosen, heard or not yet) or, with all
    // shown, the one the tools work on (a sensor heard); nothing before the
    // first is heard.
    std::optional<SensorId> shown() const;
    bool showsAll() const { return all_ && live_; }

    // Shows `sensor` alone, heard or not yet.
    void choose(const SensorId& sensor);
    // Shows every sensor; the tools stay on the sensor shown until now.
    void chooseAll();
    // With all shown: the tools work on `sensor` from now on.
    void focus(const SensorId& sensor) { focus_ = sensor; }

    // The sensor (port 0: any port at its address) to choose when it is
    // heard, or all sensors; nothing for the first heard.
    struct Preference {
        bool all = false;
        std::optional<SensorId> sensor;
    };
    void prefer(const Preference& preference);
    Preference preference() const { return {all_, preferred_}; }

    // The sensors heard, first heard first, and where a sensor stands among
    // them (-1 when not heard).
    const std::vector<SensorId>& sensors() const { return heard_.sensors(); }
    int order(const SensorId& sensor) const { return heard_.find(sensor); }

    // Another run begins: who sends is learnt again. A live run keeps what
    // was chosen; a capture plays the one sensor chosen in the player, so
    // choices made here wait for the next live run.
    void startRun(bool live);

private:
    SensorTable heard_;
    std::optional<SensorId> chosen_;
    std::optional<SensorId> focus_;
    std::optional<SensorId> preferred_;
    bool all_ = false;
    bool live_ = true;
};
