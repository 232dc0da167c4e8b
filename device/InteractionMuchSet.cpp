#include "device/InteractionMuchSet.h"

#include "device/ConfigPacket.h"
#include "device/DeviceStatusText.h"
#include "net/UdpSocket.h"
#include "ui_InteractionMuchSet.h"

#include <QIntValidator>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>

namespace {

const char* const kAddressPattern = "\\b(?:(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\\.){3}"
                                    "(?:25[0-5]|2[0-4][0-9]|[01]?[0-9][0-9]?)\\b";

// A set-up pauses briefly after its send before the socket closes.
constexpr unsigned long kPauseAfterSendMs = 50;

} // namespace

InteractionMuchSet::InteractionMuchSet(QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::InteractionMuchSet>()),
      messages_(std::make_unique<MessagePresenter>()),
      clock_([] { return QDateTime::currentDateTime(); }), logDirectory_(defaultLogDirectory()),
      sensorPort_(ConfigPacket::kSensorPort) {
    ui_->setupUi(this);

    const QRegularExpression address(QString::fromLatin1(kAddressPattern));
    for (QLineEdit* edit : {ui_->lineEdit_DefaultIP, ui_->lineEdit_DestIP, ui_->lineEdit_NTP}) {
        edit->setValidator(new QRegularExpressionValidator(address, edit));
    }
    for (QLineEdit* edit : {ui_->lineEdit_defaultPort, ui_->lineEdit_destPort}) {
        edit->setValidator(new QIntValidator(1024, 65536, edit));
    }
    ui_->lineEdit_mac_addr->setEnabled(false);

    connect(ui_->pushButton_OK, &QPushButton::clicked, this, &InteractionMuchSet::onOK_Clicked);
    connect(ui_->pushButton_Cancel, &QPushButton::clicked, this,
            &InteractionMuchSet::onCancel_Clicked);
    connect(ui_->pushButton_LidarRefresh, &QPushButton::clicked, this,
            &InteractionMuchSet::onRefreshCilcked);
    // A choice of the user's counts as much as a value the sensor reported.
    connect(ui_->comboBox_rotateSpeed, QOverload<int>::of(&QComboBox::activated), this,
            [this] { rateShown_ = true; });
    connect(ui_->comboBox, QOverload<int>::of(&QComboBox::activated), this,
            [this] { motorStateShown_ = true; });

    for (QLineEdit* edit : {ui_->lineEdit_Current_IP, ui_->lineEdit_Current_Port,
                            ui_->lineEdit_GPS_Position_longitude,
                            ui_->lineEdit_GPS_Position_latitude, ui_->lineEdit_Motor_State}) {
        edit->setFocusPolicy(Qt::NoFocus);
    }
    onCleanUCWPControl();
}

InteractionMuchSet::~InteractionMuchSet() = default;

QString InteractionMuchSet::defaultLogDirectory() {
#ifdef Q_OS_WIN
    return QStringLiteral("D:/CorvaneLidar_Log/");
#else
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/CorvaneLidar_Log/");
#endif
}

void InteractionMuchSet::setMessagePresenter(std::unique_ptr<MessagePresenter> presenter) {
    messages_ = std::move(presenter);
}

ConfigFields InteractionMuchSet::fields() const {
    ConfigFields f;
    f.sensorIp = ui_->lineEdit_DefaultIP->text();
    f.destIp = ui_->lineEdit_DestIP->text();
    f.mac = ui_->lineEdit_mac_addr->text();
    f.dataPort = ui_->lineEdit_defaultPort->text();
    f.equipmentPort = ui_->lineEdit_destPort->text();
    f.ntpIp = ui_->lineEdit_NTP->text();
    f.interval = ui_->lineEdit_interval->text();
    f.rotateSpeed = ui_->comboBox_rotateSpeed->currentText();
    f.localTime = ui_->comboBox_localTime->currentText();
    f.motorState = ui_->comboBox->currentText();
    return f;
}

void InteractionMuchSet::warn(const QString& text) {
    messages_->information(this, tr("warring"), text);
}

void InteractionMuchSet::onOK_Clicked() {
    if (!infoForSet_) {
        warn(tr("Please check the device package port !"));
        return;
    }
    // Before a refresh the fields hold no reading: the combo boxes would send
    // their first items and the empty fields their defaults.
    if (!fieldsFromSensor_) {
        messages_->information(this, tr("Tips"),
                               tr("The sensor's values have not been read yet: press Refresh "
                                  "state first. Nothing was sent."));
        return;
    }
    if (!rateShown_) {
        warn(tr("Moto PRM: the sensor reports %1 rpm, which is none of 5, 10 and 20 Hz. Choose "
                "one. Nothing was sent.")
                 .arg(status_.motorRpm));
        return;
    }
    if (!motorStateShown_) {
        warn(tr("Moto State: the sensor reports the state %1, which is neither Run nor Stop. "
                "Choose one. Nothing was sent.")
                 .arg(status_.motorState));
        return;
    }
    const ConfigFields fields = this->fields();
    if (fields.destIp == fields.sensorIp) {
        warn(tr("The Lidar local IP cannot be set to the same as the destination IP.Please "
                "reset it！"));
        infoForSet_ = false;
        return;
    }
    const ConfigPacket::Built built = ConfigPacket::build(lastInfoPacket_, fields, clock_());
    if (!built.ok()) {
        warn(built.refusal);
        infoForSet_ = false;
        return;
    }

    writeLog(QStringLiteral("Before"), lastInfoPacket_);
    ConfigPacket::applyDefaultAddressRule(lastInfoPacket_);
    writeLog(QStringLiteral("Modify"), built.packet);

    if (send(built.destination, built.packet)) {
        messages_->about(this, tr("Tips"), tr("Setup completed"));
        awaitingNewLog_ = true;
        setupTime_ = clock_();
        if (messages_->question(this, tr("Question"), tr("Whether to close the Settings form?"))) {
            close();
        }
    } else {
        messages_->about(this, tr("Tips"),
                         tr("Setup failed: the configuration packet could not be sent to "
                            "%1:%2.")
                             .arg(QString::fromStdString(built.destination))
                             .arg(sensorPort_));
    }
    // The next set-up waits for the next device-information packet.
    infoForSet_ = false;
}

void InteractionMuchSet::onCancel_Clicked() {
    close();
}

void InteractionMuchSet::onCleanUCWPControl() {
    for (QLineEdit* edit :
         {ui_->lineEdit_Current_IP, ui_->lineEdit_DefaultIP, ui_->lineEdit_DestIP,
          ui_->lineEdit_Current_Port, ui_->lineEdit_defaultPort, ui_->lineEdit_destPort,
          ui_->lineEdit_GPS_Position_latitude, ui_->lineEdit_GPS_Position_longitude,
          ui_->lineEdit_Motor_State, ui_->lineEdit_mac_addr, ui_->lineEdit_interval}) {
        edit->clear();
    }
    fieldsFromSensor_ = false;
}

void InteractionMuchSet::OnLidarStatusReceiving(const SettingData& record,
                                                const std::vector<int>& ports) {
    statusReceived_ = true;
    status_ = record;
    if (ports.size() >= 8) {
        dataPort_ = ports[6];
        equipmentPort_ = ports[7];
    }
    ui_->lineEdit_Motor_State->setText(QString::number(status_.motorRpm));
    ui_->lineEdit_utc_time->setText(DeviceStatusText::deviceTime(status_));
    ui_->lineEdit_GPS_Position_latitude->setText(DeviceStatusText::latitude(status_));
    ui_->lineEdit_GPS_Position_longitude->setText(DeviceStatusText::longitude(status_));
    ui_->lineEdit_mac_addr->setText(DeviceStatusText::mac(ports));
}

void InteractionMuchSet::onRefreshCilcked() {
    if (!infoForRefresh_) {
        warn(tr("Please check the device package port !"));
        return;
    }
    const ByteSpan info(lastInfoPacket_.data(), lastInfoPacket_.size());
    const QString sensorIp = DeviceInfoPacket::addressText(info, DeviceInfoPacket::kSensorIp);
    ui_->lineEdit_DefaultIP->setText(sensorIp);
    ui_->lineEdit_Current_IP->setText(sensorIp);
    ui_->lineEdit_DestIP->setText(DeviceInfoPacket::addressText(info, DeviceInfoPacket::kDestIp));
    ui_->lineEdit_NTP->setText(DeviceInfoPacket::addressText(info, DeviceInfoPacket::kNtpIp));
    ui_->lineEdit_defaultPort->setText(QString::number(dataPort_));
    ui_->lineEdit_destPort->setText(QString::number(equipmentPort_));
    ui_->lineEdit_Current_Port->setText(QString::number(equipmentPort_));

    if (statusReceived_) {
        const int motorState = status_.motorState;
        motorStateShown_ = motorState == 0 || motorState == 1;
        if (motorStateShown_) {
            ui_->comboBox->setCurrentIndex(motorState);
        }
        ui_->lineEdit_interval->setText(QString::number(status_.packetInterval));
        const int rpm = status_.motorRpm;
        ui_->lineEdit_Motor_State->setText(QString::number(rpm));
        rateShown_ = true;
        if (rpm >= 200 && rpm <= 400) {
            ui_->comboBox_rotateSpeed->setCurrentIndex(0);
        } else if (rpm >= 500 && rpm <= 700) {
            ui_->comboBox_rotateSpeed->setCurrentIndex(1);
        } else if (rpm >= 1100 && rpm <= 1300) {
            ui_->comboBox_rotateSpeed->setCurrentIndex(2);
        } else {
            rateShown_ = false;
        }
        fieldsFromSensor_ = true;
        messages_->about(this, tr("Tips"), tr("Resresh completed"));
    }
    statusReceived_ = false;
    infoForRefresh_ = false;
}

void InteractionMuchSet::OnLidarDifoData(const QByteArray& packet) {
    if (packet.size() != static_cast<int>(DeviceInfoPacket::kSize)) {
        return;
    }
    std::copy(packet.begin(), packet.end(), lastInfoPacket_.begin());
    infoForSet_ = true;
    infoForRefresh_ = true;
    // The first packet 3 s or more after a set-up shows what the sensor took.
    if (awaitingNewLog_ && setupTime_.secsTo(clock_()) > 2) {
        writeLog(QStringLiteral("New"), lastInfoPacket_);
        awaitingNewLog_ = false;
    }
}

void InteractionMuchSet::writeLog(const QString& kind, const DeviceInfoPacket::Bytes& packet) {
    // A log that cannot be written never stops a set-up.
    if (log_.open(logDirectory_, QString::fromLatin1(kLogTag), kind, clock_())) {
        log_.writePacket(packet.data(), packet.size());
    }
}

bool InteractionMuchSet::send(const std::string& address, const DeviceInfoPacket::Bytes& packet) {
    UdpSocket socket;
    const bool sent = socket.sendTo(address, sensorPort_, packet.data(), packet.size());
    QThread::msleep(kPauseAfterSendMs);
    return sent;
}
