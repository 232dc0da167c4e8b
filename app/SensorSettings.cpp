#include "app/SensorSettings.h"

#include "platform/SettingsStore.h"

namespace SensorSettings {

namespace {

const char* const kShown = "sensors/shown";
const char* const kAll = "all";

QString poseKey(const SensorId& sensor) {
    return QStringLiteral("sensors/pose/") + sensor.text();
}

} // namespace

SensorChoice::Preference shown() {
    const QString text = SettingsStore::open()->value(QLatin1String(kShown)).toString();
    SensorChoice::Preference p;
    if (text == QLatin1String(kAll)) {
        p.all = true;
    } else {
        p.sensor = SensorId::parse(text);
    }
    return p;
}

void keepShown(const SensorChoice::Preference& preference, const std::vector<SensorId>& heard) {
    const auto s = SettingsStore::open();
    if (preference.all) {
        s->setValue(QLatin1String(kShown), QLatin1String(kAll));
    } else if (preference.sensor) {
        const SensorId& sensor = *preference.sensor;
        s->setValue(QLatin1String(kShown), sensor.port == 0 ? sensor.text() : sensor.label(heard));
    } else {
        s->remove(QLatin1String(kShown));
    }
}

SensorPose pose(const SensorId& sensor) {
    const QString text = SettingsStore::open()->value(poseKey(sensor)).toString();
    return SensorPose::parse(text).value_or(SensorPose{});
}

void keepPose(const SensorId& sensor, const SensorPose& pose) {
    const auto s = SettingsStore::open();
    if (pose.isIdentity()) {
        s->remove(poseKey(sensor));
    } else {
        s->setValue(poseKey(sensor), pose.text());
    }
}

} // namespace SensorSettings
