#pragma once

#include <QByteArray>
#include <QString>

// What the window remembers between runs (besides the dialogs' folders,
// LastFolders), with the values of a first run. Stored values that the
// window cannot use give way to those defaults one by one.
struct ViewerSettings {
    QString dataPort = QStringLiteral("2368");
    QString telemetryPort = QStringLiteral("2369");
    QString multicastAddress = QStringLiteral("224.1.1.1");
    int colourMode = 0;        // Intensity
    int viewPreset = 1;        // Top
    int pointSize = 1;         // 1..10
    int trail = 1;             // frames on screen, 1..10
    QByteArray windowGeometry; // empty: the window fills the screen

    static constexpr int kColourModes = 6;
    static constexpr int kViewPresets = 3;
    static constexpr int kMaxPointSize = 10;
    static constexpr int kMaxTrail = 10;

    static ViewerSettings load();
    void save() const;
    // Forgets everything stored, the dialogs' folders included.
    static void forgetAll();
};
