#include "app/ViewerSettings.h"

#include "lidar/PortField.h"
#include "platform/SettingsStore.h"

namespace {

const char* const kDataPort = "network/dataPort";
const char* const kTelemetryPort = "network/telemetryPort";
const char* const kMulticast = "network/multicastAddress";
const char* const kColourMode = "view/colourMode";
const char* const kViewPreset = "view/preset";
const char* const kPointSize = "view/pointSize";
const char* const kTrail = "view/trail";
const char* const kGeometry = "window/geometry";

int intIn(const QSettings& s, const char* key, int low, int high, int fallback) {
    bool ok = false;
    const int value = s.value(QLatin1String(key)).toInt(&ok);
    return ok && value >= low && value <= high ? value : fallback;
}

QString portIn(const QSettings& s, const char* key, const QString& fallback) {
    const QString value = s.value(QLatin1String(key)).toString();
    return PortField::parse(value) ? value : fallback;
}

} // namespace

ViewerSettings ViewerSettings::load() {
    const auto s = SettingsStore::open();
    ViewerSettings v;
    v.dataPort = portIn(*s, kDataPort, v.dataPort);
    v.telemetryPort = portIn(*s, kTelemetryPort, v.telemetryPort);
    // An empty group is a choice too: unicast only.
    if (s->contains(QLatin1String(kMulticast))) {
        v.multicastAddress = s->value(QLatin1String(kMulticast)).toString();
    }
    v.colourMode = intIn(*s, kColourMode, 0, kColourModes - 1, v.colourMode);
    v.viewPreset = intIn(*s, kViewPreset, 0, kViewPresets - 1, v.viewPreset);
    v.pointSize = intIn(*s, kPointSize, 1, kMaxPointSize, v.pointSize);
    v.trail = intIn(*s, kTrail, 1, kMaxTrail, v.trail);
    v.windowGeometry = s->value(QLatin1String(kGeometry)).toByteArray();
    return v;
}

void ViewerSettings::save() const {
    const auto s = SettingsStore::open();
    s->setValue(QLatin1String(kDataPort), dataPort);
    s->setValue(QLatin1String(kTelemetryPort), telemetryPort);
    s->setValue(QLatin1String(kMulticast), multicastAddress);
    s->setValue(QLatin1String(kColourMode), colourMode);
    s->setValue(QLatin1String(kViewPreset), viewPreset);
    s->setValue(QLatin1String(kPointSize), pointSize);
    s->setValue(QLatin1String(kTrail), trail);
    s->setValue(QLatin1String(kGeometry), windowGeometry);
}

void ViewerSettings::forgetAll() {
    // The dialogs' folders are in the same store.
    SettingsStore::open()->clear();
}
