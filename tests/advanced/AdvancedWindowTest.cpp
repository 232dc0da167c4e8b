#include "FactorySettingsPacket.h"
#include "RecordingPresenter.h"
#include "advanced/ACWPSetMuch.h"
#include "advanced/AdvancedPacket.h"
#include "advanced/DefaultConfigPacket.h"
#include "advanced/RefreshTexts.h"
#include "device/DeviceState.h"
#include "net/UdpSocket.h"
#include "support/QtWait.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <random>
#include <set>

namespace {

class AdvancedWindow : public ::testing::Test {
protected:
    void SetUp() override {
        window.setMessagePresenter(std::make_unique<RecordingPresenter>(boxes));
    }

    QLineEdit* field(const QString& name) { return window.findChild<QLineEdit*>(name); }
    QString text(const QString& name) { return field(name)->text(); }
    void click(const char* name) { window.findChild<QPushButton*>(name)->click(); }

    std::vector<RecordingPresenter::Box> boxes;
    ACWPSetMuch window;
};

} // namespace

TEST_F(AdvancedWindow, HasEveryFieldWithItsNameAndFirstText) {
    EXPECT_EQ(window.windowTitle(), "ACWPSetMuch");
    EXPECT_EQ(window.size(), QSize(1366, 724));
    const std::vector<std::pair<QString, QString>> initial{{"lineEdit_SerialNumber", ""},
                                                           {"lineEdit_Version", ""},
                                                           {"lineEdit_seg", "0.5"},
                                                           {"lineEdit_seg_2", "1"},
                                                           {"lineEdit_seg_7", "3.5"},
                                                           {"lineEdit_rangeselector", ""},
                                                           {"lineEdit_DestIP", "192.168.1.200"},
                                                           {"lineEdit_DestPort", "2368"},
                                                           {"left_lineEdit", "0"},
                                                           {"Right_lineEdit", "0"},
                                                           {"lineEdit__StaticChannel_256", ""},
                                                           {"lineEdit_PitchChannel_32", ""},
                                                           {"lineEdit_AzimuthChannel_1", ""},
                                                           {"lineEdit_IntensityChannel_17", ""}};
    for (const auto& [name, first] : initial) {
        ASSERT_NE(field(name), nullptr) << name.toStdString();
        EXPECT_EQ(text(name), first) << name.toStdString();
    }
    EXPECT_EQ(field("lineEdit_rangeselector")->placeholderText(),
              "not reported by the sensor: type the range to set it");
    EXPECT_EQ(window.findChildren<QLineEdit*>().size(), 12 + 256 + 2 + 3 * 32);

    auto* tabs = window.findChild<QTabWidget*>("tabWidget");
    ASSERT_NE(tabs, nullptr);
    const QStringList tabTexts{"COR_STATIC", "COR_PITCH", "COR_AZIMUTH", "COR_INTENSITY"};
    for (int i = 0; i < tabTexts.size(); ++i) {
        EXPECT_EQ(tabs->tabText(i), tabTexts[i]);
    }
    EXPECT_EQ(window.findChild<QGroupBox*>("groupBox_AzimuthCalibrationSetting")->title(),
              " Azimuth calibration");
    EXPECT_EQ(window.findChild<QGroupBox*>("groupBox_NumberSetting")->title(), "Version Num");
    QStringList labels;
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        labels << label->text();
    }
    EXPECT_TRUE(labels.contains(QString::fromUtf8("channel  0：")));
    EXPECT_TRUE(labels.contains(QString::fromUtf8("channel 31：")));
    EXPECT_TRUE(labels.contains(QString::fromUtf8("Dest Port：")));
}

TEST_F(AdvancedWindow, StaticRowsStandInThreeColumnsOfTwoLinesOfFour) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const auto at = [this](int n) {
        QLineEdit* edit = field(QStringLiteral("lineEdit__StaticChannel_%1").arg(n));
        return edit->mapTo(&window, QPoint(0, 0));
    };
    // Field 8c + j: rows 0, 1, 2 side by side, row 3 below row 0.
    EXPECT_LT(at(1).x(), at(9).x());
    EXPECT_LT(at(9).x(), at(17).x());
    EXPECT_EQ(at(25).x(), at(1).x());
    EXPECT_GT(at(25).y(), at(1).y());
    // Columns 1..4 on one line, 5..8 below them.
    EXPECT_EQ(at(4).y(), at(1).y());
    EXPECT_LT(at(1).x(), at(4).x());
    EXPECT_EQ(at(5).x(), at(1).x());
    EXPECT_GT(at(5).y(), at(1).y());
}

TEST_F(AdvancedWindow, ChannelFieldsAcceptOnlyWhatTheValidatorAllows) {
    const QStringList names{"lineEdit_PitchChannel_", "lineEdit_AzimuthChannel_",
                            "lineEdit_IntensityChannel_"};
    std::set<const QValidator*> validators;
    for (const QString& name : names) {
        for (int n = 1; n <= 32; ++n) {
            validators.insert(field(name + QString::number(n))->validator());
        }
    }
    validators.erase(nullptr);
    EXPECT_EQ(validators.size(), 96u);
    EXPECT_EQ(field("lineEdit__StaticChannel_1")->validator(), nullptr);

    const auto state = [this](const char* name, QString text) {
        int pos = 0;
        return field(name)->validator()->validate(text, pos);
    };
    for (const char* accepted : {"-6.25", "655.35", "-327.68", "-0", "", "\t", "0.5", "8.47"}) {
        EXPECT_EQ(state("lineEdit_PitchChannel_1", accepted), QValidator::Acceptable) << accepted;
    }
    // What the packet cannot carry can still be typed, and "Set" names it.
    for (const char* typing : {"700", "655.36", "6.999", "-", ".", "-."}) {
        EXPECT_EQ(state("lineEdit_PitchChannel_1", typing), QValidator::Intermediate) << typing;
    }
    for (const char* accepted : {"7", "-9", "127", "-128"}) {
        EXPECT_EQ(state("lineEdit_IntensityChannel_1", accepted), QValidator::Acceptable)
            << accepted;
    }
    EXPECT_EQ(state("lineEdit_IntensityChannel_1", "2.7"), QValidator::Intermediate);
    EXPECT_EQ(state("lineEdit_IntensityChannel_1", "128"), QValidator::Intermediate);
    for (const char* refused : {"1e2", "a", "1,5", "--1", "1.2.3", " 1"}) {
        EXPECT_EQ(state("lineEdit_PitchChannel_1", refused), QValidator::Invalid) << refused;
    }
}

// Everything "Refresh state" can show is typed back, a key at a time, and
// stays as typed: the fields hold every value the packet carries.
TEST_F(AdvancedWindow, EveryValueTheSensorReportsCanBeTypedBack) {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    // The values a calibrator reads off a sensor, by real keystrokes.
    const std::vector<std::pair<const char*, const char*>> typed{
        {"lineEdit_PitchChannel_1", "8.5"},      {"lineEdit_PitchChannel_2", "75"},
        {"lineEdit_PitchChannel_3", "7.2"},      {"lineEdit_AzimuthChannel_4", "8.47"},
        {"lineEdit_AzimuthChannel_5", "9.54"},   {"lineEdit_PitchChannel_6", "655.35"},
        {"lineEdit_IntensityChannel_1", "7"},    {"lineEdit_IntensityChannel_2", "8"},
        {"lineEdit_IntensityChannel_3", "-9"},   {"lineEdit_IntensityChannel_4", "-7"},
        {"lineEdit_IntensityChannel_32", "-128"}};
    for (const auto& [name, text] : typed) {
        QLineEdit* edit = field(name);
        edit->clear();
        edit->setFocus();
        QTest::keyClicks(edit, text);
        EXPECT_EQ(edit->text(), text) << name;
    }

    // Every text the refresh shows, through the validators as a user types
    // it: no prefix is refused.
    const auto typesBack = [](const QValidator* v, const QString& text) {
        for (int n = 1; n <= text.size(); ++n) {
            QString prefix = text.left(n);
            int pos = n;
            if (v->validate(prefix, pos) == QValidator::Invalid) {
                return false;
            }
        }
        return true;
    };
    const QValidator* word = field("lineEdit_PitchChannel_1")->validator();
    for (int raw = 0; raw <= 0xFFFF; ++raw) {
        SettingData s{};
        s.tableC[0][0] = static_cast<std::uint8_t>(raw >> 8);
        s.tableC[0][1] = static_cast<std::uint8_t>(raw);
        const QString text = refreshTexts(s).pitch[0];
        ASSERT_TRUE(typesBack(word, text)) << text.toStdString();
    }
    const QValidator* byte = field("lineEdit_IntensityChannel_1")->validator();
    for (int value = -128; value <= 127; ++value) {
        ASSERT_TRUE(typesBack(byte, QString::number(value))) << value;
    }
}

// "Refresh state" then an unedited "Set" sends every byte the window
// covers exactly as the sensor reported it, for any record: the values go
// through the window's own fields and are checked against the bytes.
TEST_F(AdvancedWindow, AnUneditedSetSendsBackEveryReportedByte) {
    std::mt19937 random(2026);
    QWidget host;
    AdvancedForm form;
    form.setupUi(&host);
    for (int record = 0; record < 200; ++record) {
        DeviceInfoPacket::Bytes reported{};
        for (auto& b : reported) {
            b = static_cast<std::uint8_t>(random());
        }
        reported[0] = 0xA5;
        reported[1] = 0xFF;
        const SettingData status =
            DeviceInfoPacket::decodeSettingData(ByteSpan(reported.data(), reported.size()));
        form.showRefreshed(refreshTexts(status));
        form.lineEdit_rangeselector->setText("160");
        const AdvancedFieldsRead read = readAdvancedFields(form.fields());
        ASSERT_TRUE(read.ok()) << read.refusal.toStdString();

        std::vector<std::uint8_t> frame(42, 0);
        frame.insert(frame.end(), reported.begin(), reported.end());
        DeviceInfoPacket::Bytes sent{};
        AdvancedPacket::build(sent, read.values, ByteSpan(frame.data(), frame.size()),
                              QDateTime::currentDateTime());
        // Where the sensor reports each table and where "Set" sends it.
        const struct {
            std::size_t reportedAt;
            std::size_t sentAt;
            std::size_t size;
        } places[] = {{60, 60, 10},    // serial number, version
                      {70, 70, 128},   // static values 1..128
                      {478, 512, 128}, // static values 129..256
                      {198, 198, 14},  // segment factors
                      {234, 268, 96},  // pitch
                      {330, 364, 96},  // azimuth
                      {426, 460, 48},  // reflectivity 1
                      {606, 640, 48}}; // reflectivity 2
        for (const auto& p : places) {
            const auto from = reported.begin() + static_cast<std::ptrdiff_t>(p.reportedAt);
            const auto to = sent.begin() + static_cast<std::ptrdiff_t>(p.sentAt);
            ASSERT_TRUE(std::equal(from, from + static_cast<std::ptrdiff_t>(p.size), to))
                << "record " << record << ", bytes reported at " << p.reportedAt;
        }
        EXPECT_EQ(sent[212], 0x3E); // the range typed: 160.00
        EXPECT_EQ(sent[213], 0x80);
    }
}

TEST_F(AdvancedWindow, StatusIsKeptAndItsPortsWrittenWithoutTouchingFields) {
    DeviceState s;
    s.motorRpm = 1200;
    s.dataPort = 0x1234;
    s.equipmentPort = 0x5678;
    s.calibration.pitch[0] = 150;
    const DeviceInfoPacket::Bytes p = s.toPacket();
    window.OnDeviceReport(DeviceReport{{127, 0, 0, 1}, p, DeviceReport::Clock::now()});
    // A packed field: read into an aligned copy before comparing.
    const auto rpm = window.statusCopy().motorRpm;
    EXPECT_EQ(rpm, 1200);
    const auto& packet = window.advancedPacket();
    EXPECT_EQ((std::vector<int>{packet[24], packet[25], packet[26], packet[27]}),
              (std::vector<int>{0x12, 0x34, 0x56, 0x78}));
    EXPECT_EQ(text("lineEdit_PitchChannel_1"), "");

    field("lineEdit_seg")->setText("9");
    window.onCleanACWPControl();
    EXPECT_EQ(text("lineEdit_seg"), "9");
}

TEST_F(AdvancedWindow, NothingIsSentBeforeTheFieldsWereReadFromTheSensor) {
    // A status from the receiver alone does not fill the fields: they would
    // send their empty and first texts over the sensor's calibration.
    window.OnDeviceReport(
        DeviceReport{{127, 0, 0, 1}, DeviceState().toPacket(), DeviceReport::Clock::now()});
    field("lineEdit_PitchChannel_4")->setText("1");
    click("pushButton_OK");
    EXPECT_FALSE(window.searching());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Tips");
    EXPECT_TRUE(boxes[0].text.contains("press Refresh state first")) << boxes[0].text.toStdString();

    // "Restore Laser set" sends nothing to an address or port that is not one.
    field("lineEdit_DestIP")->setText("192.168.1");
    click("pushButton_RecoverSetting");
    field("lineEdit_DestIP")->setText("127.0.0.1");
    field("lineEdit_DestPort")->setText("65536");
    click("pushButton_RecoverSetting");
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_TRUE(boxes[1].text.startsWith("Dest IP")) << boxes[1].text.toStdString();
    EXPECT_TRUE(boxes[2].text.startsWith("Dest Port")) << boxes[2].text.toStdString();
}

TEST_F(AdvancedWindow, RestoreSendsTheDefaultPacketToTheDestPort) {
    UdpSocket sensor;
    ASSERT_TRUE(sensor.bindTo("127.0.0.1", 0));
    ASSERT_TRUE(sensor.setReceiveTimeout(5000));
    field("lineEdit_DestIP")->setText("127.0.0.1");
    field("lineEdit_DestPort")->setText(QString::number(sensor.localPort()));
    window.setClock([] { return QDateTime(QDate(2026, 12, 7), QTime(13, 4, 5)); });
    click("pushButton_RecoverSetting");
    std::array<std::uint8_t, 2048> got{};
    const UdpSocket::Received r = sensor.receive(got.data(), got.size());
    ASSERT_EQ(r.status, UdpSocket::Status::Ok);
    const DeviceInfoPacket::Bytes expected = factorySettingsPacket(2026, 12, 7, 13, 4, 5);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), got.begin()) && r.size == 1206);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Reset completed !");
}
