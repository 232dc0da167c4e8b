#pragma once

#include "device/ConfigFields.h"
#include "device/ConfigLogFile.h"
#include "device/DeviceInfoPacket.h"
#include "device/MessagePresenter.h"
#include "device/SettingData.h"

#include <QByteArray>
#include <QDateTime>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

namespace Ui {
class InteractionMuchSet;
}

// The "Laser Config" window: shows what the sensor reports about itself and
// sends it a configuration packet built from the last device-information
// packet and the edited fields. Every set-up is logged as hex dumps.
class InteractionMuchSet : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kLogTag = "Vantor_display_v2.1.0_201123";

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

public slots:
    void onOK_Clicked();
    void onCancel_Clicked();
    void onCleanUCWPControl();
    void OnLidarStatusReceiving(const SettingData& record, const std::vector<int>& ports);
    void onRefreshCilcked();
    void OnLidarDifoData(const QByteArray& packet);

private:
    void warn(const QString& text);
    void writeLog(const QString& kind, const DeviceInfoPacket::Bytes& packet);
    bool send(const std::string& address, const DeviceInfoPacket::Bytes& packet);

    std::unique_ptr<Ui::InteractionMuchSet> ui_;
    std::unique_ptr<MessagePresenter> messages_;
    std::function<QDateTime()> clock_;

    DeviceInfoPacket::Bytes lastInfoPacket_{};
    SettingData status_{};
    bool statusReceived_ = false;
    bool infoForRefresh_ = false;
    bool infoForSet_ = false;
    // The fields were filled from a status by "Refresh state"; the two combo
    // boxes show what the sensor reported or what the user chose.
    bool fieldsFromSensor_ = false;
    bool rateShown_ = false;
    bool motorStateShown_ = false;
    int dataPort_ = 0;
    int equipmentPort_ = 0;

    ConfigLogFile log_;
    QString logDirectory_;
    bool awaitingNewLog_ = false;
    QDateTime setupTime_;

    std::uint16_t sensorPort_;
};
