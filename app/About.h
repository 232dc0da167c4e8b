#pragma once

#include "device/DeviceReport.h"

#include <QWidget>
#include <memory>

namespace Ui {
class About;
}
class SensorChooser;

// The "About" window: the program's name and version, and the version of
// one sensor's main board as its device-status packets last reported it;
// the sensor is the one chosen in the window or through chooseSensor().
class About : public QWidget {
    Q_OBJECT
public:
    explicit About(QWidget* parent = nullptr);
    ~About() override;

    const SensorChooser& sensors() const { return *sensors_; }

public slots:
    // Every device packet of every sensor, from the status receiver.
    void OnDeviceReport(const DeviceReport& report);
    // Shows `sensor` from now on (the main window's choice).
    void chooseSensor(const AddressBytes& sensor);

private:
    void showVersion();

    std::unique_ptr<Ui::About> ui_;
    SensorChooser* sensors_;
};
