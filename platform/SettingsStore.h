#pragma once

#include <QSettings>
#include <memory>

// Where the viewer keeps what it remembers between runs: the user's
// standard configuration location (on Linux ~/.config/Vantor/vantor-viewer.conf).
namespace SettingsStore {

inline std::unique_ptr<QSettings> open() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Vantor"), QStringLiteral("vantor-viewer"));
}

} // namespace SettingsStore
