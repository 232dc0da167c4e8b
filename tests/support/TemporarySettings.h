#pragma once

#include <QSettings>
#include <QTemporaryDir>

// Points every QSettings of the process at a folder of its own, so that no
// test reads or writes the user's settings; made before any QSettings
// object, removed when the test program ends.
class TemporarySettings {
public:
    TemporarySettings() {
        for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
            for (const QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope}) {
                QSettings::setPath(format, scope, folder_.path());
            }
        }
    }

private:
    QTemporaryDir folder_;
};
