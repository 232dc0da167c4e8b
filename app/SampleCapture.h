#pragma once

#include <QString>

class QWidget;

// The capture a first run without a sensor can play: a few seconds of the
// simulator's street, written once into the user's data folder by the
// sensor-sim installed beside the viewer, and reused from then on.
class SampleCapture {
public:
    // Revolutions written: 3 s at the simulator's 10 Hz.
    static constexpr int kFrames = 30;

    // `programFolder` is the viewer's own folder, where sensor-sim lies.
    explicit SampleCapture(QString programFolder);

    QString simulator() const;
    // "sample-street.pcap" in the user's application data folder.
    static QString path();

    // The sample capture's path once it exists: found, or written now while
    // a progress dialog over `window` shows and the window's other input
    // waits. Empty, with the reason in `error`, when it could not be
    // written; nothing is left under its name then.
    QString ensure(QWidget* window, QString* error);

private:
    bool write(const QString& target, QWidget* window, QString* error);

    QString programFolder_;
    bool writing_ = false;
};
