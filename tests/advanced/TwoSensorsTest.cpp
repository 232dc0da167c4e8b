#include "RecordingPresenter.h"
#include "advanced/ACWPSetMuch.h"
#include "device/GetSet.h"
#include "device/InteractionMuchSet.h"
#include "device/SensorChooser.h"
#include "device/SensorNamespace.h"
#include "net/UdpSocket.h"
#include "support/QtWait.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <array>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr int kLongWaitMs = 30000;
// What sensor-sim prints for the packets the windows send it.
constexpr const char* kConfigured = "sensor-sim: configuration packet from 127.0.0.1:";
constexpr const char* kAdvanced = "sensor-sim: advanced parameter packet from 127.0.0.1:";

// One sensor-sim at an address of its own on this namespace's loopback.
class Simulator {
public:
    Simulator(const QString& address, const QStringList& arguments) : address_(address) {
        process_.start(
            qEnvironmentVariable("VANTOR_BIN_DIR") + "/sensor-sim",
            QStringList{"--source-ip", address, "--seconds", "100", "--step", "10", "--rate", "5"} +
                arguments);
    }
    ~Simulator() { stop(); }

    bool started() {
        return process_.waitForStarted(kLongWaitMs) &&
               waitUntil([this] { return output().contains("sensor-sim: sending to"); },
                         kLongWaitMs);
    }
    void stop() {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            process_.waitForFinished(kLongWaitMs);
        }
    }
    QByteArray output() {
        output_ += process_.readAllStandardOutput();
        return output_;
    }
    int linesWith(const char* text) { return output().count(text); }

    // What the simulator took so far, once everything sent to it before
    // this call has been looked at: a datagram that is no configuration
    // packet, sent now, is answered after whatever came before it.
    QByteArray takenSoFar() {
        const int before = linesWith("ignored 3 bytes");
        UdpSocket socket;
        const std::array<std::uint8_t, 3> stray{1, 2, 3};
        socket.sendTo(address_.toStdString(), 2368, stray.data(), stray.size());
        waitUntil([&] { return linesWith("ignored 3 bytes") > before; }, kLongWaitMs);
        return output();
    }

private:
    QString address_;
    QProcess process_;
    QByteArray output_;
};

// Sensors on this test's own loopback, reporting to one equipment port,
// and the device windows wired to the status receiver as the main window
// wires them.
class TwoSensors : public ::testing::Test {
protected:
    static constexpr const char* kA = "127.0.0.2";
    static constexpr const char* kB = "127.0.0.3";

    void SetUp() override {
        const QString unavailable = ns.enter();
        if (!unavailable.isEmpty()) {
            GTEST_SKIP() << unavailable.toStdString();
        }
        laser.setMessagePresenter(std::make_unique<RecordingPresenter>(laserBoxes));
        laser.setLogDirectory(logs.path() + "/");
        advanced.setMessagePresenter(std::make_unique<RecordingPresenter>(advancedBoxes));
        ASSERT_TRUE(sink.bindAny(0));
        QObject::connect(&receiver, &GetSet::SendDeviceReport, &laser,
                         &InteractionMuchSet::OnDeviceReport);
        QObject::connect(&receiver, &GetSet::SendDeviceReport, &advanced,
                         &ACWPSetMuch::OnDeviceReport);
        QObject::connect(&receiver, &GetSet::SendDeviceReport, &laser,
                         [this](const DeviceReport& r) { ++reportsFrom[r.sender[3]]; });
        receiver.start();
        ASSERT_TRUE(waitUntil([this] { return receiver.boundPort() != 0; }));
    }
    void TearDown() override {
        receiver.stop = true;
        receiver.wait(kLongWaitMs);
    }

    std::unique_ptr<Simulator> sensor(const char* address, const char* mac,
                                      const QStringList& more = {}) {
        auto sim = std::make_unique<Simulator>(
            address, QStringList{"--port", QString::number(sink.localPort()), "--equipment-port",
                                 QString::number(receiver.boundPort()), "--mac", mac} +
                         more);
        EXPECT_TRUE(sim->started()) << sim->output().constData();
        return sim;
    }
    // Waits for the next report of the sensor at 127.0.0.`last`.
    bool nextReportFrom(int last) {
        const int seen = reportsFrom[last];
        return waitUntil([&] { return reportsFrom[last] > seen; }, kLongWaitMs);
    }

    QLineEdit* laserField(const char* name) { return laser.findChild<QLineEdit*>(name); }
    QLineEdit* advancedField(const char* name) { return advanced.findChild<QLineEdit*>(name); }
    void clickLaser(const char* name) { laser.findChild<QPushButton*>(name)->click(); }
    // Clicks a button of the advanced window that searches, and waits for its box.
    void clickAdvanced(const char* name) {
        const std::size_t before = advancedBoxes.size();
        advanced.findChild<QPushButton*>(name)->click();
        ASSERT_TRUE(waitUntil(
            [&] { return !advanced.searching() && advancedBoxes.size() > before; }, kLongWaitMs));
    }

    SensorNamespace ns;
    QTemporaryDir logs;
    UdpSocket sink; // the sensors' points go here
    GetSet receiver;
    std::vector<RecordingPresenter::Box> laserBoxes;
    std::vector<RecordingPresenter::Box> advancedBoxes;
    InteractionMuchSet laser;
    ACWPSetMuch advanced;
    std::array<int, 256> reportsFrom{};
};

} // namespace

TEST_F(TwoSensors, EachWindowReadsShowsAndSetsOnlyTheChosenSensor) {
    auto a = sensor(kA, "02-00-00-00-00-0a", {"--interval", "3", "--calibration-seed", "2"});
    auto b = sensor(kB, "02-00-00-00-00-0b", {"--interval", "4", "--calibration-seed", "3"});
    ASSERT_TRUE(waitUntil(
        [&] {
            return laser.sensors().list()->count() == 2 && advanced.sensors().list()->count() == 2;
        },
        kLongWaitMs));

    // Laser Config on the second sensor, as the main window chooses it: the
    // first one's packets change nothing there.
    laser.chooseSensor({127, 0, 0, 3});
    ASSERT_TRUE(nextReportFrom(3));
    clickLaser("pushButton_LidarRefresh");
    EXPECT_EQ(laserBoxes.back().text,
              "Resresh completed\nRead from sensor 127.0.0.3 (02-00-00-00-00-0b).");
    EXPECT_EQ(laserField("lineEdit_DefaultIP")->text(), kB);
    EXPECT_EQ(laserField("lineEdit_interval")->text(), "4");
    ASSERT_TRUE(nextReportFrom(2));
    ASSERT_TRUE(nextReportFrom(2));
    EXPECT_EQ(laserField("lineEdit_mac_addr")->text(), "02-00-00-00-00-0b");
    EXPECT_EQ(laserField("lineEdit_DefaultIP")->text(), kB);

    // "Set" reaches that sensor alone.
    laserField("lineEdit_interval")->setText("9");
    clickLaser("pushButton_OK");
    EXPECT_EQ(laserBoxes[laserBoxes.size() - 2].text, "Setup completed");
    const QByteArray tookB = b->takenSoFar();
    EXPECT_TRUE(tookB.contains(kConfigured)) << tookB.constData();
    EXPECT_TRUE(tookB.contains("interval 4 -> 9")) << tookB.constData();
    EXPECT_FALSE(a->takenSoFar().contains(kConfigured)) << a->output().constData();

    // The advanced window on the first sensor, chosen in its own list:
    // every press reads that sensor and says so.
    QComboBox* list = advanced.sensors().list();
    const int first = list->findText("127.0.0.2 (02-00-00-00-00-0a)");
    ASSERT_GE(first, 0);
    list->setCurrentIndex(first);
    emit list->activated(first);
    QString serial;
    for (int press = 0; press < 4; ++press) {
        ASSERT_NO_FATAL_FAILURE(clickAdvanced("pushButton_Refreshlidar"));
        EXPECT_EQ(advancedBoxes.back().text,
                  "Resresh completed\nRead from sensor 127.0.0.2 (02-00-00-00-00-0a).");
        if (press > 0) {
            EXPECT_EQ(advancedField("lineEdit_SerialNumber")->text(), serial);
        }
        serial = advancedField("lineEdit_SerialNumber")->text();
    }
    advancedField("lineEdit_rangeselector")->setText("160");
    ASSERT_NO_FATAL_FAILURE(clickAdvanced("pushButton_OK"));
    EXPECT_EQ(advancedBoxes[advancedBoxes.size() - 2].text, "Setup completed");
    const QByteArray tookA = a->takenSoFar();
    EXPECT_TRUE(tookA.contains(kAdvanced)) << tookA.constData();
    EXPECT_TRUE(tookA.contains(": nothing changed")) << tookA.constData();
    EXPECT_FALSE(b->takenSoFar().contains(kAdvanced)) << b->output().constData();

    // Emptied fields are no reading: nothing is looked for, nothing is sent.
    advanced.onCleanACWPControl();
    advanced.findChild<QPushButton*>("pushButton_OK")->click();
    EXPECT_FALSE(advanced.searching());
    EXPECT_TRUE(advancedBoxes.back().text.contains("press Refresh state first"))
        << advancedBoxes.back().text.toStdString();
    EXPECT_EQ(a->takenSoFar().count(kAdvanced), 1);
}

// A sensor that replaces another at its address (or a second one still at
// the factory address) reports another MAC: values read from the first are
// never sent to it.
TEST_F(TwoSensors, ASensorAtTheSameAddressWithAnotherMacIsNotSet) {
    auto first = sensor(kA, "02-00-00-00-00-0a", {"--calibration-seed", "2"});
    ASSERT_TRUE(nextReportFrom(2));
    clickLaser("pushButton_LidarRefresh");
    ASSERT_NO_FATAL_FAILURE(clickAdvanced("pushButton_Refreshlidar"));
    EXPECT_EQ(advancedBoxes.back().text,
              "Resresh completed\nRead from sensor 127.0.0.2 (02-00-00-00-00-0a).");
    first->stop();

    auto second = sensor(kA, "02-00-00-00-00-0c", {"--calibration-seed", "4"});
    ASSERT_TRUE(waitUntil(
        [&] {
            const DeviceReport* latest = laser.sensors().chosenReport();
            return latest != nullptr && latest->mac()[5] == 0x0C;
        },
        kLongWaitMs));
    clickLaser("pushButton_OK");
    EXPECT_EQ(laserBoxes.back().text,
              "The fields hold what sensor 127.0.0.2 (02-00-00-00-00-0a) reported, but the device "
              "packet at hand is sensor 127.0.0.2 (02-00-00-00-00-0c)'s: press Refresh state to "
              "read the sensor to set. Nothing was sent.");

    advancedField("lineEdit_rangeselector")->setText("160");
    ASSERT_NO_FATAL_FAILURE(clickAdvanced("pushButton_OK"));
    EXPECT_EQ(advancedBoxes.back().text,
              "The sensor found, 127.0.0.2 (02-00-00-00-00-0c), is not the one whose values the "
              "window shows, 127.0.0.2 (02-00-00-00-00-0a): press Refresh state to read it "
              "first. Nothing was sent.");
    const QByteArray took = second->takenSoFar();
    EXPECT_FALSE(took.contains(kConfigured)) << took.constData();
    EXPECT_FALSE(took.contains(kAdvanced)) << took.constData();
}
