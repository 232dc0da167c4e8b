#include "advanced/ACWPSetMuch.h"

#include "advanced/AdvancedPacket.h"
#include "advanced/ChannelValidator.h"
#include "advanced/DefaultConfigPacket.h"
#include "advanced/ParameterFile.h"
#include "advanced/RefreshTexts.h"
#include "device/ConfigFields.h"
#include "device/ConfigPacket.h"
#include "device/SensorChooser.h"
#include "net/UdpSocket.h"
#include "platform/LastFolders.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

namespace {

// What the pitch and azimuth words (hundredths; negative values go in two's
// complement) and the reflectivity bytes carry.
constexpr long long kWordMin = -32768;
constexpr long long kWordMax = 65535;
constexpr long long kByteMin = -128;
constexpr long long kByteMax = 127;

// Pauses after a send before the socket closes.
constexpr unsigned long kPauseAfterSetMs = 50;
constexpr unsigned long kPauseAfterResetMs = 200;

QString noSensorText() {
    return ACWPSetMuch::tr("You didn't connect Lidar.");
}

std::string addressText(const std::optional<AddressBytes>& sensor) {
    return sensor ? addressFieldText(*sensor).toStdString() : std::string();
}

} // namespace

ACWPSetMuch::ACWPSetMuch(QWidget* parent)
    : QWidget(parent), sensors_(new SensorChooser(this)),
      messages_(std::make_unique<MessagePresenter>()),
      clock_([] { return QDateTime::currentDateTime(); }), askFileName_([](QWidget* window) {
          const QString path =
              QFileDialog::getSaveFileName(window, QStringLiteral("WireSharkCaptureFile"),
                                           LastFolders::folder(LastFolders::Dialog::ParameterFile),
                                           QStringLiteral("Supported Files (*.ini)"));
          LastFolders::remember(LastFolders::Dialog::ParameterFile, path);
          return path;
      }) {
    ui_.setupUi(this);
    ui_.leftColumn->insertWidget(0, sensors_);
    connect(sensors_, &SensorChooser::chosenChanged, this, &ACWPSetMuch::onChosenChanged);
    connect(sensors_, &SensorChooser::chosenReported, this, &ACWPSetMuch::onChosenReport);

    for (const auto* table : {&ui_.pitch, &ui_.azimuth}) {
        for (QLineEdit* edit : *table) {
            auto* validator = new ChannelValidator(2, kWordMin, kWordMax, this);
            edit->setValidator(validator);
            validators_.push_back(validator);
        }
    }
    for (QLineEdit* edit : ui_.intensity) {
        auto* validator = new ChannelValidator(0, kByteMin, kByteMax, this);
        edit->setValidator(validator);
        validators_.push_back(validator);
    }

    connect(ui_.pushButton_SaveSettingfile, &QPushButton::clicked, this,
            &ACWPSetMuch::onSaveSettingFile);
    connect(ui_.pushButton_RecoverSetting, &QPushButton::clicked, this,
            &ACWPSetMuch::onRecoverSetting);
    connect(ui_.pushButton_Refreshlidar, &QPushButton::clicked, this,
            &ACWPSetMuch::onRefreshbutton_clicked);
    connect(ui_.pushButton_OK, &QPushButton::clicked, this, &ACWPSetMuch::onOK_Clicked);
    connect(ui_.pushButton_Cancel, &QPushButton::clicked, this, &ACWPSetMuch::onCancel_Clicked);
}

ACWPSetMuch::~ACWPSetMuch() {
    if (search_.running()) {
        QApplication::restoreOverrideCursor();
    }
}

void ACWPSetMuch::setMessagePresenter(std::unique_ptr<MessagePresenter> presenter) {
    messages_ = std::move(presenter);
}

void ACWPSetMuch::warn(const QString& text) {
    messages_->information(nullptr, tr("warring"), text);
}

void ACWPSetMuch::setSearching(bool searching) {
    // One capture at a time; the rest of the window stays usable.
    for (QWidget* control :
         std::initializer_list<QWidget*>{ui_.pushButton_OK, ui_.pushButton_Refreshlidar,
                                         ui_.pushButton_SaveSettingfile, sensors_}) {
        control->setEnabled(!searching);
    }
    if (searching) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void ACWPSetMuch::findSensor(const std::optional<AddressBytes>& sensor, int limit,
                             const Found& found, const QString& notFoundTitle,
                             const QString& notFoundText, QWidget* notFoundParent) {
    if (search_.running()) {
        return;
    }
    QString error;
    const std::optional<std::string> adapter = AdapterChooser::resolve(picker_, &error);
    if (!adapter) {
        // A cancelled choice says nothing; no adapter at all is no sensor.
        if (!error.isEmpty()) {
            messages_->information(notFoundParent, notFoundTitle, notFoundText + "\n" + error);
        }
        return;
    }
    setSearching(true);
    // The user is told the answer comes within kSearchTime of the press.
    search_.start(*adapter, addressText(sensor), limit, InfoFrameSearch::Clock::now() + kSearchTime,
                  [this, found, notFoundTitle, notFoundText,
                   notFoundParent](const InfoFrameSearch::Outcome& outcome) {
                      setSearching(false);
                      std::optional<SensorReading> reading;
                      if (outcome.frame) {
                          reading = SensorReading::fromFrame(*outcome.frame);
                      }
                      if (reading) {
                          found(*reading);
                      } else if (!outcome.captureError.isEmpty()) {
                          messages_->information(notFoundParent, notFoundTitle,
                                                 outcome.captureError);
                      } else {
                          messages_->information(notFoundParent, notFoundTitle, notFoundText);
                      }
                  });
}

bool ACWPSetMuch::send(const std::string& address, std::uint16_t port,
                       const DeviceInfoPacket::Bytes& packet, unsigned long pauseMs) {
    UdpSocket socket;
    const bool sent = socket.sendTo(address, port, packet.data(), packet.size());
    QThread::msleep(pauseMs);
    return sent;
}

void ACWPSetMuch::onOK_Clicked() {
    // Fields that were never filled from the sensor would overwrite its
    // calibration with whatever they hold.
    if (!shown_) {
        messages_->information(this, tr("Tips"),
                               tr("The sensor's values have not been read yet: press Refresh "
                                  "state first. Nothing was sent."));
        return;
    }
    // Fields that cannot be sent are refused before the sensor is looked for.
    const AdvancedFieldsRead read = readAdvancedFields(ui_.fields());
    if (!read.ok()) {
        warn(read.refusal);
        return;
    }
    const AdvancedValues values = read.values;
    findSensor(
        shown_->report().sender, kFrameLimit,
        [this, values](const SensorReading& reading) {
            if (!shown_) {
                return; // the fields were emptied meanwhile
            }
            // Another sensor at the shown one's address (a replacement, or
            // two at the factory address) would get values it never had.
            if (!reading.sameSender(*shown_)) {
                warn(tr("The sensor found, %1, is not the one whose values the window shows, "
                        "%2: press Refresh state to read it first. Nothing was sent.")
                         .arg(reading.report().sensorName(), shown_->report().sensorName()));
                return;
            }
            sensors_->take(reading.report());
            AdvancedPacket::build(advancedPacket_, values, reading.frame(), clock_());
            const std::string address = reading.senderAddress().toStdString();
            if (!send(address, ConfigPacket::kSensorPort, advancedPacket_, kPauseAfterSetMs)) {
                messages_->about(this, tr("Tips"),
                                 tr("Setup failed: the advanced parameter packet could not be "
                                    "sent to %1:%2.")
                                     .arg(QString::fromStdString(address))
                                     .arg(ConfigPacket::kSensorPort));
                return;
            }
            messages_->about(this, tr("Tips"), tr("Setup completed"));
            if (messages_->question(this, tr("Question"),
                                    tr("Whether to close the Settings form?"))) {
                close();
            }
        },
        tr("warring"), noSensorText(), nullptr);
}

void ACWPSetMuch::onCancel_Clicked() {
    close();
}

void ACWPSetMuch::OnDeviceReport(const DeviceReport& report) {
    sensors_->take(report);
}

void ACWPSetMuch::chooseSensor(const AddressBytes& sensor) {
    sensors_->choose(sensor);
}

void ACWPSetMuch::onChosenChanged() {
    // Nothing read from the sensor shown before stays.
    onCleanACWPControl();
    statusCopy_ = SettingData{};
    AdvancedPacket::writePorts(advancedPacket_, {0, 0, 0, 0, 0, 0, 0, 0});
    if (const DeviceReport* latest = sensors_->chosenReport()) {
        onChosenReport(*latest);
    }
}

void ACWPSetMuch::onChosenReport(const DeviceReport& report) {
    statusCopy_ = report.status();
    AdvancedPacket::writePorts(advancedPacket_, report.ports());
}

void ACWPSetMuch::onRefreshbutton_clicked() {
    // The fields show what the frame just captured reports, whether or not
    // the status receiver runs.
    findSensor(
        sensors_->chosen(), kFrameLimit,
        [this](const SensorReading& reading) {
            const DeviceReport report = reading.report();
            // The sensor found becomes the chosen one when none was.
            sensors_->take(report);
            if (sensors_->chosen() != report.sender) {
                return; // another sensor was chosen meanwhile
            }
            ui_.showRefreshed(refreshTexts(statusCopy_));
            shown_ = reading;
            messages_->about(this, tr("Tips"),
                             tr("Resresh completed") + QLatin1Char('\n') +
                                 tr("Read from sensor %1.").arg(report.sensorName()));
        },
        tr("warring"), noSensorText(), nullptr);
}

void ACWPSetMuch::onCleanACWPControl() {
    ui_.clearChannels();
    shown_.reset();
}

void ACWPSetMuch::onSaveSettingFile() {
    const QString error = QStringLiteral("error");
    findSensor(
        sensors_->chosen(), kSaveFrameLimit,
        [this, error](const SensorReading& reading) {
            const DeviceReport report = reading.report();
            const QString path = askFileName_(this);
            if (path.isEmpty()) {
                return;
            }
            if (!ParameterFile::write(path, report.packet)) {
                messages_->information(this, error,
                                       QString::fromUtf8("打开文件失败,请检查!") +
                                           QLatin1Char('\n') +
                                           tr("The file %1 could not be written.").arg(path));
                return;
            }
            messages_->about(this, tr("Tips"),
                             tr("Saved the device packet of sensor %1 to %2 (%3 bytes).")
                                 .arg(report.sensorName(), path)
                                 .arg(ParameterFile::kFileSize));
        },
        error,
        QString::fromUtf8("抓包失败,请设置发包间隔为0!") + QLatin1Char('\n') +
            tr("Capturing failed: no device packet of the sensor was found. Set its packet "
               "interval to 0 and try again."),
        this);
}

void ACWPSetMuch::onRecoverSetting() {
    const QString addressText = ui_.lineEdit_DestIP->text().trimmed();
    if (!parseAddressField(addressText)) {
        warn(tr("Dest IP: \"%1\" is not an IPv4 address. Nothing was sent.").arg(addressText));
        return;
    }
    bool ok = false;
    const int port = ui_.lineEdit_DestPort->text().trimmed().toInt(&ok);
    if (!ok || port < 1 || port > 65535) {
        warn(tr("Dest Port: \"%1\" is not a port of 1 to 65535. Nothing was sent.")
                 .arg(ui_.lineEdit_DestPort->text()));
        return;
    }
    const DeviceInfoPacket::Bytes packet = DefaultConfigPacket::build(clock_());
    const std::string address = addressText.toStdString();
    if (send(address, static_cast<std::uint16_t>(port), packet, kPauseAfterResetMs)) {
        messages_->about(this, tr("Tips"), tr("Reset completed !"));
    } else {
        messages_->about(this, tr("Tips"),
                         tr("Reset failed: the default configuration packet could not be sent "
                            "to %1:%2.")
                             .arg(addressText)
                             .arg(port));
    }
}
