#pragma once

#include "advanced/AdvancedForm.h"
#include "advanced/InfoFrameSearch.h"
#include "advanced/SensorReading.h"
#include "capture/AdapterChooser.h"
#include "device/DeviceInfoPacket.h"
#include "device/DeviceReport.h"
#include "device/MessagePresenter.h"
#include "device/SettingData.h"

#include <QDateTime>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QValidator;
class SensorChooser;

// The advanced parameter window: reads and writes one sensor's per-channel
// calibration, serial number, version, segment factors and measure range,
// restores the sensor's factory settings and saves a captured
// device-information packet as a parameter file. The sensor is the one
// chosen in the window's sensor list or through chooseSensor(); it is found
// by capturing one of its device-information frames off the window's
// thread, and while none is chosen the first sensor found becomes the
// chosen one.
class ACWPSetMuch : public QWidget {
    Q_OBJECT
public:
    // Frames examined before giving up: "Set" and "Refresh state", "Save set file".
    static constexpr int kFrameLimit = 1000;
    static constexpr int kSaveFrameLimit = 5000;
    // However little traffic there is, a search ends this long after the
    // press (after the adapter is chosen, when the user is asked).
    static constexpr std::chrono::milliseconds kSearchTime{3000};

    explicit ACWPSetMuch(QWidget* parent = nullptr);
    ~ACWPSetMuch() override;

    // Asks the user for an adapter when several could carry the sensor's traffic.
    void setAdapterPicker(AdapterChooser::Picker picker) { picker_ = std::move(picker); }
    // For tests: message boxes, the clock, the parameter file's name.
    void setMessagePresenter(std::unique_ptr<MessagePresenter> presenter);
    void setClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }
    void setFileNameAsker(std::function<QString(QWidget*)> ask) { askFileName_ = std::move(ask); }

    const DeviceInfoPacket::Bytes& advancedPacket() const { return advancedPacket_; }
    const SettingData& statusCopy() const { return statusCopy_; }
    bool searching() const { return search_.running(); }
    const AdvancedForm& form() const { return ui_; }
    const SensorChooser& sensors() const { return *sensors_; }

signals:
    void onACWPsend();

public slots:
    void onOK_Clicked();
    void onCancel_Clicked();
    // Every device packet of every sensor, from the status receiver.
    void OnDeviceReport(const DeviceReport& report);
    // Shows and acts on `sensor` from now on (the main window's choice).
    void chooseSensor(const AddressBytes& sensor);
    void onRefreshbutton_clicked();
    void onCleanACWPControl();
    void onSaveSettingFile();
    void onRecoverSetting();

private:
    // Finds the sensor's frame, then runs `found` with it; reports on its
    // own when there is none (`notFound` gives title and text).
    using Found = std::function<void(const SensorReading& reading)>;
    // Looks only for `sensor`'s frames; for any sensor's while none is given.
    void findSensor(const std::optional<AddressBytes>& sensor, int limit, const Found& found,
                    const QString& notFoundTitle, const QString& notFoundText,
                    QWidget* notFoundParent);
    void setSearching(bool searching);
    void onChosenChanged();
    // Keeps the chosen sensor's status and ports.
    void onChosenReport(const DeviceReport& report);
    void warn(const QString& text);
    bool send(const std::string& address, std::uint16_t port, const DeviceInfoPacket::Bytes& packet,
              unsigned long pauseMs);

    AdvancedForm ui_;
    SensorChooser* sensors_;
    DeviceInfoPacket::Bytes advancedPacket_{};
    SettingData statusCopy_{};
    // The reading the fields were last filled from; "Set" needs one, of the
    // sensor it finds. None after "Clean" and when another sensor is chosen.
    std::optional<SensorReading> shown_;
    std::vector<QValidator*> validators_;

    std::unique_ptr<MessagePresenter> messages_;
    std::function<QDateTime()> clock_;
    std::function<QString(QWidget*)> askFileName_;
    AdapterChooser::Picker picker_;
    InfoFrameSearch search_{this};
};
