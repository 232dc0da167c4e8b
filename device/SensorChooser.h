#pragma once

#include "device/DeviceReport.h"
#include "device/SensorReports.h"

#include <QWidget>
#include <optional>

class QComboBox;

// Which sensor a device window shows and acts on: a list of the sensors
// heard (address and MAC) with the latest report of each, and the one
// chosen. The first sensor heard is chosen while none is; after that the
// choice changes only when the user picks another or choose() is called.
class SensorChooser : public QWidget {
    Q_OBJECT
public:
    explicit SensorChooser(QWidget* parent = nullptr);

    // Keeps `report` as its sensor's latest.
    void take(const DeviceReport& report);
    // Chooses `sensor`, heard or not yet (its reports then come later).
    void choose(const AddressBytes& sensor);

    std::optional<AddressBytes> chosen() const { return chosen_; }
    // The chosen sensor's latest report; null when none came.
    const DeviceReport* chosenReport() const;
    // "127.0.0.2 (02-1a-2b-3c-4d-5e)", the address alone before its first
    // report, empty when none is chosen.
    QString chosenName() const;

    QComboBox* list() const { return list_; }

signals:
    // Another sensor is chosen.
    void chosenChanged();
    // The chosen sensor has reported.
    void chosenReported(const DeviceReport& report);

private:
    void showItems();

    QComboBox* list_;
    SensorReports reports_;
    std::optional<AddressBytes> chosen_;
};
