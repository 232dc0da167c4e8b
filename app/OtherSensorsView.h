#pragma once

#include "app/CloudView.h"
#include "lidar/FrameConverter.h"
#include "lidar/MuchLidarData.h"

#include <functional>
#include <string>
#include <vector>

// With all sensors shown, the sensors other than the one the tools work on
// (whose frame is the window's own, "realTime_points"): the newest frame of
// each is kept and drawn as a cloud of its own, "sensor_ADDRESS:PORT". A
// sensor's frame is converted again only when a newer one came or its
// settings changed, so frames arriving faster than they are drawn cost
// nothing but the newest.
class OtherSensorsView {
public:
    // How a sensor's frame is converted: its pose, its colour, the shown
    // channels and colour mode.
    using SettingsOf = std::function<FrameSettings(const SensorId&)>;

    OtherSensorsView(CloudView& view, const FrameConverter& converter);

    // The newest frame of its sensor.
    void keep(MuchLidarData frame);
    // Converts and shows every sensor whose frame or settings changed since
    // it was last drawn; the caller renders.
    void drawChanged(const SettingsOf& settingsOf);
    // A sensor is drawn again with its settings (its pose changed).
    void settingsChanged(const SensorId& sensor);

    // The tools move to `sensor`: `shown` takes its newest frame, and the
    // frame `shown` held is kept as its sensor's. False, and nothing
    // changes, when no frame of `sensor` is kept.
    bool exchange(const SensorId& sensor, MuchLidarData& shown);

    // Removes every cloud and forgets every frame.
    void clear();

    // The clouds on screen with their sensors.
    struct Shown {
        SensorId sensor;
        const FrameConversion::Cloud* cloud;
    };
    std::vector<Shown> clouds() const;

    static std::string cloudId(const SensorId& sensor);

private:
    struct Other {
        MuchLidarData frame;
        FrameConversion conversion;
        bool changed = true;
        bool drawn = false;
    };
    Other* find(const SensorId& sensor);

    CloudView& view_;
    const FrameConverter& converter_;
    std::vector<Other> others_;
};
