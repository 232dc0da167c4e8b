#include "device/InteractionMuchSet.h"

#include "device/ConfigPacket.h"
#include "device/DeviceStatusText.h"
#include "device/SensorChooser.h"
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
      clock_([] { return QDateTime::currentDateTime(); }), sensors_(new SensorChooser(this)),
      logDirectory_(defaultLogDirectory()), sensorPort_(ConfigPacket::kSensorPort) {
    ui_->setupUi(this);
    ui_->verticalLayout->insertWidget(0, sensors_);
    connect(sensors_, &SensorChooser::chosenChanged, this, &InteractionMuchSet::onChosenChanged);
    connect(sensors_, &SensorChooser::chosenReported, this, &InteractionMuchSet::onChosenReport);

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

QString InteractionMuchSet::noPacketText() const {
    const QString text = tr("Please check the device package port !");
    if (sensors_->chosenReport() == nullptr) {
        return text + QLatin1Char('\n') +
               tr("No device packet has arrived on the equipment port yet: press \"Lidar\" in the "
                  "main window and check its Equi Port (2369 unless the sensor was set to "
                  "another).");
    }
    return text + QLatin1Char('\n') +
           tr("The last device packet of sensor %1 was used already; its next one comes within "
              "a second.")
               .arg(sensors_->chosenName());
}

QString InteractionMuchSet::setRefusal() const {
    const DeviceReport& latest = *sensors_->chosenReport();
    if (!shown_) {
        return tr("The values of sensor %1 have not been read yet: press Refresh state first. "
                  "Nothing was sent.")
            .arg(latest.sensorName());
    }
    if (!latest.sameSensor(*shown_)) {
        return tr("The fields hold what sensor %1 reported, but the device packet at hand is "
                  "sensor %2's: press Refresh state to read the sensor to set. Nothing was "
                  "sent.")
            .arg(shown_->sensorName(), latest.sensorName());
    }
    const auto age = DeviceReport::Clock::now() - latest.received;
    if (age > kFreshReport) {
        return tr("Sensor %1 has sent no device packet for %2 s: check that it is connected, "
                  "then press Refresh state. Nothing was sent.")
            .arg(latest.sensorName())
            .arg(std::chrono::duration_cast<std::chrono::seconds>(age).count());
    }
    return QString();
}

void InteractionMuchSet::onOK_Clicked() {
    if (!infoForSet_) {
        warn(noPacketText());
        return;
    }
    // Before a refresh the fields hold no reading: the combo boxes would send
    // their first items and the empty fields their defaults. A reading of
    // another sensor, or an old one, is no better.
    const QString refusal = setRefusal();
    if (!refusal.isEmpty()) {
        messages_->information(this, tr("Tips"), refusal);
        return;
    }
    const DeviceReport latest = *sensors_->chosenReport();
    const SettingData status = latest.status();
    // A list without a choice: the sensor reported what no item shows.
    if (ui_->comboBox_rotateSpeed->currentIndex() < 0) {
        warn(tr("Moto PRM: the sensor reports %1 rpm, which is none of 5, 10 and 20 Hz. Choose "
                "one. Nothing was sent.")
                 .arg(status.motorRpm));
        return;
    }
    if (ui_->comboBox->currentIndex() < 0) {
        warn(tr("Moto State: the sensor reports the state %1, which is neither Run nor Stop. "
                "Choose one. Nothing was sent.")
                 .arg(status.motorState));
        return;
    }
    const ConfigFields fields = this->fields();
    if (fields.destIp == fields.sensorIp) {
        warn(tr("The Lidar local IP cannot be set to the same as the destination IP.Please "
                "reset it！"));
        infoForSet_ = false;
        return;
    }
    const ConfigPacket::Built built = ConfigPacket::build(latest.packet, fields, clock_());
    if (!built.ok()) {
        warn(built.refusal);
        infoForSet_ = false;
        return;
    }

    writeLog(QStringLiteral("Before"), latest.packet);
    writeLog(QStringLiteral("Modify"), built.packet);

    // To the address the sensor's packets come from, whatever it reports
    // as its own: only that sensor is set up.
    const std::string destination = addressFieldText(latest.sender).toStdString();
    if (send(destination, built.packet)) {
        messages_->about(this, tr("Tips"), tr("Setup completed"));
        awaitingNewLog_ = latest.sender;
        setupTime_ = clock_();
        if (messages_->question(this, tr("Question"), tr("Whether to close the Settings form?"))) {
            close();
        }
    } else {
        messages_->about(this, tr("Tips"),
                         tr("Setup failed: the configuration packet could not be sent to "
                            "%1:%2.")
                             .arg(QString::fromStdString(destination))
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
    shown_.reset();
}

void InteractionMuchSet::OnDeviceReport(const DeviceReport& report) {
    // The first packet 3 s or more after a set-up shows what the sensor took.
    if (awaitingNewLog_ == report.sender && setupTime_.secsTo(clock_()) > 2) {
        writeLog(QStringLiteral("New"), report.packet);
        awaitingNewLog_.reset();
    }
    sensors_->take(report);
}

void InteractionMuchSet::chooseSensor(const AddressBytes& sensor) {
    sensors_->choose(sensor);
}

void InteractionMuchSet::onChosenChanged() {
    // Nothing read from the sensor shown before stays, status included.
    onCleanUCWPControl();
    ui_->lineEdit_utc_time->clear();
    const DeviceReport* latest = sensors_->chosenReport();
    infoForRefresh_ = latest != nullptr;
    infoForSet_ = latest != nullptr;
    if (latest != nullptr) {
        showStatus(*latest);
    }
}

void InteractionMuchSet::onChosenReport(const DeviceReport& report) {
    infoForRefresh_ = true;
    infoForSet_ = true;
    showStatus(report);
}

void InteractionMuchSet::showStatus(const DeviceReport& report) {
    const SettingData status = report.status();
    ui_->lineEdit_Motor_State->setText(QString::number(status.motorRpm));
    ui_->lineEdit_utc_time->setText(DeviceStatusText::deviceTime(status));
    ui_->lineEdit_GPS_Position_latitude->setText(DeviceStatusText::latitude(status));
    ui_->lineEdit_GPS_Position_longitude->setText(DeviceStatusText::longitude(status));
    ui_->lineEdit_mac_addr->setText(DeviceStatusText::mac(report.ports()));
}

void InteractionMuchSet::onRefreshCilcked() {
    if (!infoForRefresh_) {
        warn(noPacketText());
        return;
    }
    // A copy: the boxes below let later packets in.
    const DeviceReport report = *sensors_->chosenReport();
    const ByteSpan info = report.span();
    const std::vector<int> ports = report.ports();
    const QString sensorIp = DeviceInfoPacket::addressText(info, DeviceInfoPacket::kSensorIp);
    ui_->lineEdit_DefaultIP->setText(sensorIp);
    ui_->lineEdit_Current_IP->setText(sensorIp);
    ui_->lineEdit_DestIP->setText(DeviceInfoPacket::addressText(info, DeviceInfoPacket::kDestIp));
    ui_->lineEdit_NTP->setText(DeviceInfoPacket::addressText(info, DeviceInfoPacket::kNtpIp));
    ui_->lineEdit_defaultPort->setText(QString::number(ports[6]));
    ui_->lineEdit_destPort->setText(QString::number(ports[7]));
    ui_->lineEdit_Current_Port->setText(QString::number(ports[7]));

    // A value no item shows leaves its list without a choice (and says so),
    // so that whichever item the user then picks counts as chosen.
    const SettingData status = report.status();
    const int motorState = status.motorState;
    ui_->comboBox->setCurrentIndex(motorState == 0 || motorState == 1 ? motorState : -1);
    ui_->comboBox->setPlaceholderText(tr("state %1: choose").arg(motorState));
    ui_->lineEdit_interval->setText(QString::number(status.packetInterval));
    const int rpm = status.motorRpm;
    ui_->lineEdit_Motor_State->setText(QString::number(rpm));
    int rate = -1;
    if (rpm >= 200 && rpm <= 400) {
        rate = 0;
    } else if (rpm >= 500 && rpm <= 700) {
        rate = 1;
    } else if (rpm >= 1100 && rpm <= 1300) {
        rate = 2;
    }
    ui_->comboBox_rotateSpeed->setCurrentIndex(rate);
    ui_->comboBox_rotateSpeed->setPlaceholderText(tr("%1 rpm: choose a rate").arg(rpm));
    shown_ = report;
    infoForRefresh_ = false;
    messages_->about(this, tr("Tips"),
                     tr("Resresh completed") + QLatin1Char('\n') +
                         tr("Read from sensor %1.").arg(report.sensorName()));
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
