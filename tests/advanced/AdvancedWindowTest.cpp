#include "FactorySettingsPacket.h"
#include "RecordingPresenter.h"
#include "advanced/ACWPSetMuch.h"
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
#include <gtest/gtest.h>
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
                                                           {"lineEdit_rangeselector", "160"},
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

    const QValidator* v = field("lineEdit_PitchChannel_1")->validator();
    for (QString accepted : {"-6.25", "699.99", "-0", "", "\t", "0.5"}) {
        int pos = 0;
        EXPECT_EQ(v->validate(accepted, pos), QValidator::Acceptable) << accepted.toStdString();
    }
    for (QString refused : {"700", "6.999", "1e2", "a"}) {
        int pos = 0;
        EXPECT_NE(v->validate(refused, pos), QValidator::Acceptable) << refused.toStdString();
    }
}

TEST_F(AdvancedWindow, StatusIsKeptAndItsPortsWrittenWithoutTouchingFields) {
    DeviceState s;
    s.motorRpm = 1200;
    s.dataPort = 0x1234;
    s.equipmentPort = 0x5678;
    s.calibration.pitch[0] = 150;
    const DeviceInfoPacket::Bytes p = s.toPacket();
    const ByteSpan span(p.data(), p.size());
    window.onLidarStatusReceiving(DeviceInfoPacket::decodeSettingData(span),
                                  DeviceInfoPacket::portVector(span));
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
    const DeviceInfoPacket::Bytes p = DeviceState().toPacket();
    const ByteSpan span(p.data(), p.size());
    window.onLidarStatusReceiving(DeviceInfoPacket::decodeSettingData(span),
                                  DeviceInfoPacket::portVector(span));
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
