#pragma once

#include "device/ConfigFields.h"
#include "device/ConfigLogFile.h"
#include "device/DeviceInfoPacket.h"
#include "device/DeviceReport.h"
#include "device/MessagePresenter.h"
#include "device/SettingData.h"

#include <QByteArray>
#include <QDateTime>
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace Ui {
class InteractionMuchSet;
}
class SensorChooser;

// The "Laser Config" window: shows what one sensor reports about itself and
// sends it a configuration packet built from its last device-information
// packet and the edited fields. The sensor is the one chosen in the window's
// sensor list or through chooseSensor(); nothing shown or sent comes from
// another sensor's packets. Every set-up is logged as hex dumps.
class InteractionMuchSet : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kLogTag = "Vantor_display_v2.1.0_201123";
    // "Set" needs a device packet of the chosen sensor at most this old.
    static constexpr std::chrono::seconds kFreshReport{5};

    explicit InteractionMuchSet(QWidget* parent = nullptr);
    ~InteractionMuchSet() override;

    // Where the set-up logs go: "D:/CorvaneLidar_Log/" on Windows, elsewhere
    // a folder of that name under the user's application data.
    static QString defaultLogDirectory();

    // For tests: message boxes, the log folder, the clock and the port
    // configuration packets go to (2368 otherwise).
    void setMessagePresenter(std::unique_ptr<MessagePresenter> presenter);
    void setLogDirectory(const QString& directory) { logDirectory_ = directory; }
    void setClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }
    void setSensorPort(std::uint16_t port) { sensorPort_ = port; }

    // The texts the configuration packet is built from.
    ConfigFields fields() const;
    const SensorChooser& sensors() const { return *sensors_; }

public slots:
    void onOK_Clicked();
    void onCancel_Clicked();
    void onCleanUCWPControl();
    void onRefreshCilcked();
    // Every device packet of every sensor, from the status receiver.
    void OnDeviceReport(const DeviceReport& report);
    // Shows and acts on `sensor` from now on (the main window's choice).
    void chooseSensor(const AddressBytes& sensor);

private:
    void onChosenChanged();
    void onChosenReport(const DeviceReport& report);
    void showStatus(const DeviceReport& report);
    // Why "Set" may not build on the chosen sensor's latest packet; empty when it may.
    QString setRefusal() const;
    QString noPacketText() const;
    void warn(const QString& text);
    void writeLog(const QString& kind, const DeviceInfoPacket::Bytes& packet);
    bool send(const std::string& address, const DeviceInfoPacket::Bytes& packet);

    std::unique_ptr<Ui::InteractionMuchSet> ui_;
    std::unique_ptr<MessagePresenter> messages_;
    std::function<QDateTime()> clock_;

    SensorChooser* sensors_;
    // A packet of the chosen sensor came since the last "Refresh state" /
    // "Set" used one.
    bool infoForRefresh_ = false;
    bool infoForSet_ = false;
    // The report "Refresh state" filled the fields from; none before a
    // refresh, after "Clean" and when another sensor is chosen. The two
    // combo boxes show what that report says or what the user chose.
    std::optional<DeviceReport> shown_;

    ConfigLogFile log_;
    QString logDirectory_;
    // The sensor last set up, whose first packet 3 s later is logged.
    std::optional<AddressBytes> awaitingNewLog_;
    QDateTime setupTime_;

    std::uint16_t sensorPort_;
};
