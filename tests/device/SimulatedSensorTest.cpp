#include "SensorNamespace.h"
#include "device/ConfigPacket.h"
#include "device/GetSet.h"
#include "device/InteractionMuchSet.h"
#include "lidar/ThreadStop.h"
#include "net/UdpSocket.h"
#include "support/ModalCatcher.h"
#include "support/QtWait.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <array>
#include <gtest/gtest.h>

namespace {

// The laser configuration window against sensor-sim at an address of its
// own, wired to a status receiver as the main window wires them.
class SimulatedSensor : public ::testing::Test {
protected:
    void SetUp() override {
        const QString unavailable = sensor.enter();
        if (!unavailable.isEmpty()) {
            GTEST_SKIP() << unavailable.toStdString();
        }
        // Sockets made from here on live in the test's own namespace.
        data = std::make_unique<UdpSocket>();
        ASSERT_TRUE(data->bindAny(0));
        ASSERT_TRUE(data->setNonBlocking());
        dialog.setLogDirectory(logs.path() + "/");
        QObject::connect(&receiver, &GetSet::SendDeviceReport, &dialog,
                         &InteractionMuchSet::OnDeviceReport);
        // After the window's: the window has the report once this saw it.
        QObject::connect(&receiver, &GetSet::SendDeviceReport, &dialog,
                         [this](const DeviceReport& r) { rawRpm = r.status().motorRpm; });
        receiver.start();
        ASSERT_TRUE(waitUntil([this] { return receiver.boundPort() != 0; }));
    }
    void TearDown() override { stopThreadAndWait(receiver, receiver.stop, "receiver wait...."); }

    QString field(const char* name) { return dialog.findChild<QLineEdit*>(name)->text(); }
    void setField(const char* name, const QString& text) {
        dialog.findChild<QLineEdit*>(name)->setText(text);
    }
    QComboBox* combo(const char* name) { return dialog.findChild<QComboBox*>(name); }
    void click(const char* name) { dialog.findChild<QPushButton*>(name)->click(); }

    // Waits until the window has a report of `rpm`, so a refresh takes it.
    bool reported(int rpm) {
        return waitUntil(
            [&] { return field("lineEdit_Motor_State") == QString::number(rpm) && rawRpm == rpm; },
            10000);
    }

    // Reads what has arrived on the data port; true if anything did.
    bool dataArrived() {
        std::array<std::uint8_t, 2048> buffer{};
        bool any = false;
        while (data->receive(buffer.data(), buffer.size()).status == UdpSocket::Status::Ok) {
            any = true;
        }
        return any;
    }
    // Waits until no data has come for a second.
    bool dataStopped() {
        QElapsedTimer quiet;
        quiet.start();
        return waitUntil(
            [&] {
                if (dataArrived()) {
                    quiet.restart();
                }
                return quiet.elapsed() >= 1000;
            },
            30000);
    }

    SensorNamespace sensor;
    std::unique_ptr<UdpSocket> data;
    QTemporaryDir logs;
    GetSet receiver;
    InteractionMuchSet dialog;
    int rawRpm = -1;
};

} // namespace

TEST_F(SimulatedSensor, SetChangesWhatTheSensorReportsAndSends) {
    ASSERT_TRUE(
        sensor.start({"--source-ip", SensorNamespace::kSensorAddress, "--host",
                      SensorNamespace::kHostAddress, "--port", QString::number(data->localPort()),
                      "--equipment-port", QString::number(receiver.boundPort()), "--step", "10",
                      "--rate", "10", "--seconds", "100"}))
        << sensor.error().toStdString();

    // What the sensor reports fills the window; its points arrive.
    ASSERT_TRUE(reported(600));
    ASSERT_TRUE(waitUntil([this] { return dataArrived(); }));
    ModalCatcher boxes;
    click("pushButton_LidarRefresh");
    EXPECT_EQ(field("lineEdit_DefaultIP"), SensorNamespace::kSensorAddress);
    EXPECT_EQ(field("lineEdit_DestIP"), SensorNamespace::kHostAddress);
    EXPECT_EQ(combo("comboBox_rotateSpeed")->currentText(), " 10 HZ");
    EXPECT_EQ(field("lineEdit_interval"), "1");

    // The sensor takes nothing but configuration packets.
    DeviceInfoPacket::Bytes stray{};
    std::copy(ConfigPacket::kHeader.begin(), ConfigPacket::kHeader.end(), stray.begin());
    UdpSocket strayOut;
    ASSERT_TRUE(strayOut.sendTo(SensorNamespace::kSensorAddress, ConfigPacket::kSensorPort,
                                stray.data(), stray.size()));
    ASSERT_TRUE(waitUntil([this] {
        return sensor.output().contains("ignored 1206 bytes from 192.168.1.102:");
    })) << sensor.output().constData();

    // 20 Hz, stopped, interval 7: the sensor says it took them and reports them.
    combo("comboBox_rotateSpeed")->setCurrentText(" 20 HZ");
    combo("comboBox")->setCurrentText("Stop");
    setField("lineEdit_interval", "7");
    click("pushButton_OK");
    ASSERT_GE(boxes.boxes.size(), 2u);
    EXPECT_EQ(boxes.boxes[1].text, "Setup completed");
    ASSERT_TRUE(waitUntil([this] {
        return sensor.output().contains("configuration packet from 192.168.1.102:");
    })) << sensor.output().constData();
    const QByteArray out = sensor.output();
    const QByteArray summary = out.mid(out.indexOf("configuration packet from"));
    const QByteArray line = summary.left(summary.indexOf('\n'));
    EXPECT_TRUE(line.contains(": rpm 600 -> 1200, motor running -> stopped, interval 1 -> 7"))
        << line.constData();
    EXPECT_TRUE(line.contains("clock set to")) << line.constData();

    ASSERT_TRUE(reported(1200));
    click("pushButton_LidarRefresh");
    EXPECT_EQ(combo("comboBox")->currentText(), "Stop");
    EXPECT_EQ(field("lineEdit_interval"), "7");
    EXPECT_EQ(combo("comboBox_rotateSpeed")->currentText(), " 20 HZ");
    // A stopped motor sends no points.
    EXPECT_TRUE(dataStopped());

    // Running again at 5 Hz: the points come back. The sensor cannot take
    // an address its network does not give it, and stays where it is.
    combo("comboBox_rotateSpeed")->setCurrentText(" 5 HZ");
    combo("comboBox")->setCurrentText("Run");
    setField("lineEdit_DefaultIP", "192.168.1.201");
    const std::size_t boxesBefore = boxes.boxes.size();
    click("pushButton_OK");
    ASSERT_GT(boxes.boxes.size(), boxesBefore);
    EXPECT_EQ(boxes.boxes[boxesBefore].text, "Setup completed");
    EXPECT_TRUE(waitUntil([this] { return dataArrived(); }));
    EXPECT_TRUE(reported(300));
    EXPECT_TRUE(sensor.output().contains("sensor address 192.168.1.201 refused"))
        << sensor.output().constData();
    click("pushButton_LidarRefresh");
    EXPECT_EQ(field("lineEdit_Current_IP"), SensorNamespace::kSensorAddress);
}
