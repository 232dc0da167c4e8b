#include "RecordingPresenter.h"
#include "advanced/ACWPSetMuch.h"
#include "advanced/ParameterFile.h"
#include "capture/AdapterChooser.h"
#include "capture/LiveCapture.h"
#include "device/GetSet.h"
#include "device/SensorNamespace.h"
#include "net/UdpSocket.h"
#include "support/QtWait.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Takes CAP_NET_RAW out of this thread's effective set (and so out of the
// threads it starts) while it lives, so a capture meets what a user without
// the capability meets.
class WithoutRawCapture {
public:
    WithoutRawCapture() {
        if (syscall(SYS_capget, &header_, data_) != 0) {
            return;
        }
        saved_[0] = data_[0];
        saved_[1] = data_[1];
        data_[0].effective &= ~(1u << CAP_NET_RAW);
        dropped_ = syscall(SYS_capset, &header_, data_) == 0;
    }
    ~WithoutRawCapture() {
        if (dropped_) {
            syscall(SYS_capset, &header_, saved_);
        }
    }
    bool ok() const { return dropped_; }

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data_[2]{};
    __user_cap_data_struct saved_[2]{};
    bool dropped_ = false;
};

// The window in the test's own network namespace, where nothing but this
// test sends.
class AdvancedWindowCapture : public ::testing::Test {
protected:
    void SetUp() override {
        window.setMessagePresenter(std::make_unique<RecordingPresenter>(boxes));
        const QString unavailable = ns.enter();
        if (!unavailable.isEmpty()) {
            GTEST_SKIP() << unavailable.toStdString();
        }
    }

    QLineEdit* field(const QString& name) { return window.findChild<QLineEdit*>(name); }
    QString text(const QString& name) { return field(name)->text(); }
    void click(const char* name) { window.findChild<QPushButton*>(name)->click(); }

    // Waits for the search to end; counts the ticks of a timer meanwhile.
    int ticksWhileSearching() {
        int ticks = 0;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&ticks] { ++ticks; });
        tick.start(50);
        EXPECT_TRUE(waitUntil([this] { return !window.searching(); }, 20000));
        return ticks;
    }

    SensorNamespace ns;
    std::vector<RecordingPresenter::Box> boxes;
    ACWPSetMuch window;
};

} // namespace

TEST_F(AdvancedWindowCapture, WithoutTrafficTheSearchEndsAndTheWindowKeepsResponding) {
    QString error;
    if (!LiveCapture::open("lo", std::chrono::milliseconds(100), &error)) {
        GTEST_SKIP() << "no capture on loopback here: " << error.toStdString();
    }
    field("lineEdit_PitchChannel_1")->setText("1.5");
    click("pushButton_Refreshlidar");
    ASSERT_TRUE(window.searching());
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
    EXPECT_FALSE(window.findChild<QPushButton*>("pushButton_OK")->isEnabled());
    EXPECT_GT(ticksWhileSearching(), 5);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "warring");
    EXPECT_EQ(boxes[0].text, "You didn't connect Lidar.");
    EXPECT_EQ(boxes[0].parent, nullptr);
    EXPECT_EQ(text("lineEdit_PitchChannel_1"), "1.5");

    bool asked = false;
    window.setFileNameAsker([&asked](QWidget*) {
        asked = true;
        return QString();
    });
    click("pushButton_SaveSettingfile");
    ticksWhileSearching();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].title, "error");
    // The system's own text, and a line in English.
    EXPECT_EQ(boxes[1].text, QString::fromUtf8("抓包失败,请设置发包间隔为0!\n") +
                                 "Capturing failed: no device packet of the sensor was found. "
                                 "Set its packet interval to 0 and try again.");
    EXPECT_EQ(boxes[1].parent, &window);
    EXPECT_FALSE(asked);
}

TEST_F(AdvancedWindowCapture, WithoutCapturePermissionTheUserIsToldHowToGetIt) {
    WithoutRawCapture withoutRaw;
    if (!withoutRaw.ok()) {
        GTEST_SKIP() << "cannot change this thread's capabilities";
    }
    click("pushButton_Refreshlidar");
    ticksWhileSearching();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "warring");
    EXPECT_TRUE(boxes[0].text.contains("CAP_NET_RAW")) << boxes[0].text.toStdString();
    EXPECT_TRUE(boxes[0].text.contains("setcap")) << boxes[0].text.toStdString();
}

TEST_F(AdvancedWindowCapture, AFailedSendIsReportedWithItsAddress) {
    // Nothing can leave this namespace, and a broadcast is refused anyway.
    field("lineEdit_DestIP")->setText("255.255.255.255");
    field("lineEdit_DestPort")->setText("2370");
    click("pushButton_RecoverSetting");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Tips");
    EXPECT_TRUE(boxes[0].text.startsWith("Reset failed")) << boxes[0].text.toStdString();
    EXPECT_TRUE(boxes[0].text.contains("255.255.255.255:2370")) << boxes[0].text.toStdString();
}

namespace {

// The window against sensor-sim at an address of its own.
class AdvancedSensor : public AdvancedWindowCapture {
protected:
    // Starts the simulator with `traffic` added to its options. A status
    // receiver collects the sensor's packets for the test; the window gets
    // them too only when `wired` (as the main window wires it once "Lidar"
    // is pressed).
    void startSensor(const QStringList& traffic, bool wired) {
        ASSERT_TRUE(sink.bindAny(0));
        if (wired) {
            QObject::connect(&receiver, &GetSet::SendDeviceReport, &window,
                             &ACWPSetMuch::OnDeviceReport);
        }
        QObject::connect(&receiver, &GetSet::SendDataDifo, &window,
                         [this](const QByteArray& packet) { packets.push_back(packet); });
        receiver.start();
        ASSERT_TRUE(waitUntil([this] { return receiver.boundPort() != 0; }));
        ASSERT_TRUE(
            ns.start(QStringList{"--source-ip", SensorNamespace::kSensorAddress, "--host",
                                 SensorNamespace::kHostAddress, "--port",
                                 QString::number(sink.localPort()), "--equipment-port",
                                 QString::number(receiver.boundPort()), "--seconds", "100"} +
                     traffic))
            << ns.error().toStdString();
        ASSERT_TRUE(waitUntil([this] { return !packets.empty(); }, 30000));
        // The kernel may mark the link running a moment after traffic flows;
        // until then the capture would take loopback.
        ASSERT_TRUE(waitUntil(
            [] {
                QString error;
                const auto fit = AdapterChooser::candidates(LiveCapture::listAdapters(&error));
                return !fit.empty() && !fit.front().loopback;
            },
            30000));
    }
    void TearDown() override {
        receiver.stop = true;
        receiver.wait(30000);
    }

    // A few datagrams a second: the search sees little but device frames.
    const QStringList kQuiet{"--step", "10", "--rate", "5"};

    // Clicks a button that searches for the sensor and waits for its box.
    void clickAndWait(const char* name) {
        const std::size_t before = boxes.size();
        click(name);
        ASSERT_TRUE(waitUntil([&] { return !window.searching() && boxes.size() > before; }, 20000));
    }
    // The simulator's lines about advanced parameter packets.
    int advancedLines() { return ns.output().count(kAdvancedLine); }
    // Line `index` (from 0), once it is there.
    QByteArray advancedLine(int index) {
        if (!waitUntil([&] { return advancedLines() > index; }, 30000)) {
            return "(none)";
        }
        const QByteArray out = ns.output();
        int at = -1;
        for (int i = 0; i <= index; ++i) {
            at = out.indexOf(kAdvancedLine, at + 1);
        }
        return out.mid(at, out.indexOf('\n', at) - at);
    }
    // The first device packet that arrives from now on.
    QByteArray nextReported() {
        const std::size_t seen = packets.size();
        EXPECT_TRUE(waitUntil([&] { return packets.size() > seen; }, 30000));
        return packets.back();
    }
    // The calibration tables of a device packet where its layout puts them:
    // static values 1 to 128 at 70; the pitch, azimuth and first
    // reflectivity tables from 234; static values 129 to 256 and the second
    // reflectivity table from 478.
    static QByteArray tablesOf(const QByteArray& packet) {
        return packet.mid(70, 128) + packet.mid(234, 240) + packet.mid(478, 176);
    }

    static constexpr const char* kAdvancedLine = "advanced parameter packet from 192.168.1.102:";
    UdpSocket sink; // the sensor's points go here
    GetSet receiver;
    std::vector<QByteArray> packets;
};

} // namespace

TEST_F(AdvancedSensor, RefreshAndSetSendBackWhatTheSensorReportedThenAnEdit) {
    ASSERT_NO_FATAL_FAILURE(startSensor(kQuiet, true));
    const QByteArray reported = nextReported();
    // Serial number and version, bytes 60..69.
    const auto identity = [this] { return packets.back().mid(60, 10); };
    const QByteArray reportedIdentity = identity();
    field("Right_lineEdit")->setText("5");
    clickAndWait("pushButton_Refreshlidar");
    EXPECT_EQ(boxes.back().text,
              "Resresh completed\nRead from sensor 192.168.1.200 (02-1a-2b-3c-4d-5e).");
    EXPECT_EQ(text("lineEdit_SerialNumber"), "K00815120201123");
    EXPECT_EQ(text("lineEdit_Version"), "V2.1.0");
    EXPECT_EQ(text("lineEdit_seg"), "0.29");
    EXPECT_NE(text("lineEdit_PitchChannel_32"), "0");
    // The values shown hold what earlier offsets did.
    EXPECT_EQ(text("Right_lineEdit"), "0");

    // The sensor does not report its measure range: it is typed (the
    // simulator starts at 160). Otherwise unedited, nothing changes.
    EXPECT_TRUE(text("lineEdit_rangeselector").isEmpty());
    field("lineEdit_rangeselector")->setText("160");
    const int lines = advancedLines();
    clickAndWait("pushButton_OK");
    ASSERT_GE(boxes.size(), 3u);
    EXPECT_EQ(boxes[boxes.size() - 2].text, "Setup completed");
    EXPECT_EQ(boxes.back().kind, "question");
    const QByteArray unchanged = advancedLine(lines);
    EXPECT_TRUE(unchanged.endsWith(": nothing changed")) << unchanged.constData();
    EXPECT_EQ(tablesOf(nextReported()), tablesOf(reported));
    EXPECT_EQ(identity(), reportedIdentity);

    // An edited pitch field 18 and static value 200 arrive in the sensor's
    // next packets.
    field("lineEdit_PitchChannel_18")->setText("12.34");
    field("lineEdit__StaticChannel_200")->setText("-5");
    clickAndWait("pushButton_OK");
    const QByteArray edited = advancedLine(lines + 1);
    EXPECT_TRUE(edited.endsWith(": static values: 1 changed, pitch entries: 1 changed"))
        << edited.constData();
    // Pitch entry 18 is the BE16 at 234 + 2 * 17, static value 200 the byte
    // at 478 + 71.
    QByteArray expected = reported;
    expected[268] = '\x04';
    expected[269] = '\xD2';
    expected[549] = '\xFB';
    EXPECT_TRUE(waitUntil([&] { return tablesOf(nextReported()) == tablesOf(expected); }, 30000));
    clickAndWait("pushButton_Refreshlidar");
    EXPECT_EQ(text("lineEdit_PitchChannel_18"), "12.34");
    EXPECT_EQ(text("lineEdit__StaticChannel_200"), "-5");
}

// A sensor reporting codes outside the named tables, versions of two and
// three digits, reflectivity of every signed byte and table entries of
// 0x8000 and more: what it reports goes back unchanged.
TEST_F(AdvancedSensor, EveryValueThePacketCarriesGoesBackUnchanged) {
    ASSERT_NO_FATAL_FAILURE(startSensor(kQuiet + QStringList{"--calibration-seed", "7"}, true));
    const QByteArray reported = nextReported();
    clickAndWait("pushButton_Refreshlidar");
    EXPECT_TRUE(boxes.back().text.startsWith("Resresh completed"))
        << boxes.back().text.toStdString();
    EXPECT_TRUE(text("lineEdit_SerialNumber").startsWith("K("))
        << text("lineEdit_SerialNumber").toStdString();
    EXPECT_EQ(text("lineEdit_IntensityChannel_1"), "7");
    EXPECT_EQ(text("lineEdit_PitchChannel_2"), "8.47");
    EXPECT_EQ(text("lineEdit_PitchChannel_4"), "327.68");

    field("lineEdit_rangeselector")->setText("160");
    const int lines = advancedLines();
    clickAndWait("pushButton_OK");
    EXPECT_EQ(boxes[boxes.size() - 2].text, "Setup completed");
    const QByteArray unchanged = advancedLine(lines);
    EXPECT_TRUE(unchanged.endsWith(": nothing changed")) << unchanged.constData();
    const QByteArray after = nextReported();
    EXPECT_EQ(tablesOf(after), tablesOf(reported));
    // Serial number and version.
    EXPECT_EQ(after.mid(60, 10), reported.mid(60, 10));
}

namespace {

struct Traffic {
    const char* name;
    QStringList arguments;
};
void PrintTo(const Traffic& traffic, std::ostream* os) {
    *os << traffic.name;
}

// The sensor streaming its data, and the window opened without "Lidar": no
// status reaches it but what its own searches capture.
class AdvancedSensorStreaming : public AdvancedSensor,
                                public ::testing::WithParamInterface<Traffic> {};

} // namespace

TEST_P(AdvancedSensorStreaming, TheButtonsReadSetAndSaveTheSensorWithoutLidar) {
    ASSERT_NO_FATAL_FAILURE(startSensor(GetParam().arguments, false));
    const QByteArray reported = nextReported();

    // Nothing read yet: "Set" refuses at once and searches for nothing.
    click("pushButton_OK");
    EXPECT_FALSE(window.searching());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Tips");
    EXPECT_TRUE(boxes[0].text.contains("press Refresh state first")) << boxes[0].text.toStdString();

    clickAndWait("pushButton_Refreshlidar");
    EXPECT_TRUE(boxes.back().text.startsWith("Resresh completed\nRead from sensor 192.168.1.200"))
        << boxes.back().text.toStdString();
    EXPECT_EQ(text("lineEdit_SerialNumber"), "K00815120201123");
    EXPECT_EQ(text("lineEdit_Version"), "V2.1.0");
    EXPECT_EQ(text("lineEdit_seg"), "0.29");
    // Static value 200 is the signed byte at 549, reflectivity 17 the first
    // of the second table at 606, pitch 32 the BE16 of hundredths at 296.
    EXPECT_EQ(text("lineEdit__StaticChannel_200"),
              QString::number(static_cast<qint8>(reported[549])));
    EXPECT_EQ(text("lineEdit_IntensityChannel_17"),
              QString::number(static_cast<qint8>(reported[606])));
    EXPECT_EQ(text("lineEdit_PitchChannel_32"),
              QString::number((static_cast<std::uint8_t>(reported[296]) << 8 |
                               static_cast<std::uint8_t>(reported[297])) /
                              100.0));

    // Unedited but for the range it does not report, the sensor is told what
    // it reported: the first advanced packet it got (the refused "Set" sent
    // none) changes nothing.
    field("lineEdit_rangeselector")->setText("160");
    clickAndWait("pushButton_OK");
    ASSERT_GE(boxes.size(), 3u);
    EXPECT_EQ(boxes[boxes.size() - 2].text, "Setup completed");
    const QByteArray unchanged = advancedLine(0);
    EXPECT_TRUE(unchanged.endsWith(": nothing changed")) << unchanged.constData();
    EXPECT_EQ(tablesOf(nextReported()), tablesOf(reported));

    // "Save set file" writes a packet the sensor sent.
    QTemporaryDir dir;
    const QString path = dir.filePath("sensor.ini");
    window.setFileNameAsker([&path](QWidget*) { return path; });
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(5000, 'x'));
    old.close();
    clickAndWait("pushButton_SaveSettingfile");
    EXPECT_EQ(boxes.back().title, "Tips");
    EXPECT_EQ(boxes.back().text, "Saved the device packet of sensor 192.168.1.200 "
                                 "(02-1a-2b-3c-4d-5e) to " +
                                     path + " (3768 bytes).");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    const auto received = [&] {
        for (const QByteArray& p : packets) {
            DeviceInfoPacket::Bytes bytes{};
            std::copy(p.begin(), p.end(), bytes.begin());
            if (ParameterFile::text(bytes) == saved) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(waitUntil(received)) << saved.left(60).constData();
    EXPECT_EQ(saved.size(), 3768);

    // A file that cannot be made says so.
    window.setFileNameAsker([&dir](QWidget*) { return dir.filePath("missing/sensor.ini"); });
    clickAndWait("pushButton_SaveSettingfile");
    EXPECT_EQ(boxes.back().title, "error");
    EXPECT_TRUE(boxes.back().text.startsWith(QString::fromUtf8("打开文件失败,请检查!\n")))
        << boxes.back().text.toStdString();
    EXPECT_TRUE(boxes.back().text.contains(dir.filePath("missing/sensor.ini")));
}

// The simulator's defaults stream about 10,500 data datagrams a second
// (about 1,055 a revolution); 28.5 revolutions a second about 30,000.
INSTANTIATE_TEST_SUITE_P(Rates, AdvancedSensorStreaming,
                         ::testing::Values(Traffic{"Default", {}},
                                           Traffic{"Dense", {"--rate", "28.5"}}),
                         [](const ::testing::TestParamInfo<Traffic>& param) {
                             return std::string(param.param.name);
                         });

TEST_F(AdvancedSensor, RestoreSendsTheFactorySettingsToTheSensor) {
    ASSERT_NO_FATAL_FAILURE(startSensor(kQuiet, true));
    // The sensor stands at the default Dest IP and port in this namespace.
    click("pushButton_RecoverSetting");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Reset completed !");
    ASSERT_TRUE(waitUntil([this] {
        return ns.output().contains("default configuration packet from 192.168.1.102:");
    })) << ns.output().constData();
    const QByteArray out = ns.output();
    const int at = out.indexOf("default configuration packet");
    const QByteArray line = out.mid(at, out.indexOf('\n', at) - at);
    EXPECT_TRUE(line.contains(QByteArray("equipment port ") +
                              QByteArray::number(receiver.boundPort()) + " -> 2369"))
        << line.constData();
}
