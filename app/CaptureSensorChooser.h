#pragma once

#include <QObject>
#include <functional>

namespace Ui {
class manwindowClass;
}
class CaptureFile;
class QComboBox;
class QLabel;

// On the "Offline" tab, beside the frame number: which sensor of a capture
// holding several the player plays, each with its whole frames
// ("10.0.0.3 (12 frames)"). Hidden for a capture of one sensor.
class CaptureSensorChooser : public QObject {
    Q_OBJECT
public:
    // `choose(index)` plays the sensor of that index of the capture.
    CaptureSensorChooser(Ui::manwindowClass& ui, std::function<void(int index)> choose,
                         QObject* parent = nullptr);

    // The capture shown and the index of its sensor played; null for none.
    void show(const CaptureFile* capture, int played);

    QComboBox& box() const { return *box_; }

private:
    QLabel* label_;
    QComboBox* box_;
    std::function<void(int)> choose_;
};
