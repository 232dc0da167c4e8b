#include "device/InteractionMuchSet.h"
#include "InfoTestPacket.h"
#include "device/ConfigLogFile.h"
#include "device/GetSet.h"
#include "net/UdpSocket.h"
#include "support/QtWait.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

namespace {

struct Box {
    QString kind;
    QString title;
    QString text;
    bool operator==(const Box& o) const {
        return kind == o.kind && title == o.title && text == o.text;
    }
};

void PrintTo(const Box& b, std::ostream* os) {
    *os << b.kind.toStdString() << " \"" << b.title.toStdString() << "\": " << b.text.toStdString();
}

// Records the boxes instead of showing them; questions get `answer`.
class RecordingPresenter : public MessagePresenter {
public:
    RecordingPresenter(std::vector<Box>& boxes, const bool& answer)
        : boxes_(boxes), answer_(answer) {}
    void information(QWidget*, const QString& title, const QString& text) override {
        boxes_.push_back({"information", title, text});
    }
    void about(QWidget*, const QString& title, const QString& text) override {
        boxes_.push_back({"about", title, text});
    }
    bool question(QWidget*, const QString& title, const QString& text) override {
        boxes_.push_back({"question", title, text});
        return answer_;
    }

private:
    std::vector<Box>& boxes_;
    const bool& answer_;
};

// The system's own text, then what to do.
const Box kNoPacket{"information", "warring",
                    "Please check the device package port !\nNo device packet has arrived on the "
                    "equipment port yet: press \"Lidar\" in the main window and check its Equi "
                    "Port (2369 unless the sensor was set to another)."};
const Box kPacketUsed{"information", "warring",
                      "Please check the device package port !\nThe last device packet of sensor "
                      "127.0.0.1 (00-0a-35-00-1e-53) was used already; its next one comes within "
                      "a second."};
const Box kSameAddress{
    "information", "warring",
    "The Lidar local IP cannot be set to the same as the destination IP.Please reset it！"};
const Box kCompleted{"about", "Tips", "Setup completed"};
const Box kCloseQuestion{"question", "Question", "Whether to close the Settings form?"};
const Box kRefreshed{"about", "Tips",
                     "Resresh completed\nRead from sensor 127.0.0.1 (00-0a-35-00-1e-53)."};
const QString kTag = "Vantor_display_v2.1.0_201123";

using Bytes = std::vector<std::uint8_t>;

class InteractionMuchSetTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sensor.bindTo("127.0.0.1", 0));
        ASSERT_TRUE(sensor.setReceiveTimeout(100));
        dialog.setMessagePresenter(std::make_unique<RecordingPresenter>(boxes, closeOnQuestion));
        dialog.setLogDirectory(logs.path() + "/");
        dialog.setClock([this] { return now; });
        dialog.setSensorPort(sensor.localPort());
    }

    QLineEdit* edit(const char* name) { return dialog.findChild<QLineEdit*>(name); }
    QComboBox* combo(const char* name) { return dialog.findChild<QComboBox*>(name); }
    void click(const char* name) {
        QTest::mouseClick(dialog.findChild<QPushButton*>(name), Qt::LeftButton);
    }
    void deliver(const InfoTestPacket& p, const AddressBytes& sender = {127, 0, 0, 1}) {
        dialog.OnDeviceReport(p.from(sender));
    }
    // Delivers the packet and takes its values into the fields.
    void deliverAndRefresh(const InfoTestPacket& p) {
        deliver(p);
        click("pushButton_LidarRefresh");
        boxes.clear();
    }
    std::optional<Bytes> received() {
        std::array<std::uint8_t, 2048> buffer{};
        const UdpSocket::Received got = sensor.receive(buffer.data(), buffer.size());
        if (got.status != UdpSocket::Status::Ok) {
            return std::nullopt;
        }
        return Bytes(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got.size));
    }
    QStringList logFiles() const {
        return QDir(logs.path() + "/" + kTag + "/2026-12-07").entryList(QDir::Files, QDir::Name);
    }
    QByteArray logText(const QString& name) const {
        QFile file(logs.path() + "/" + kTag + "/2026-12-07/" + name);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }
    static QString logName(const QString& kind, const QDateTime& at) {
        return ConfigLogFile::fileName(kTag, kind, at);
    }
    static QString dump(const std::uint8_t* data, std::size_t size) {
        return ConfigLogFile::hexDump(data, size);
    }

    UdpSocket sensor;
    std::vector<Box> boxes;
    bool closeOnQuestion = false;
    QDateTime now{QDate(2026, 12, 7), QTime(1, 2, 3, 456)};
    QTemporaryDir logs;
    InteractionMuchSet dialog;
    InfoTestPacket info = InfoTestPacket::plausible();
};

Bytes slice(const Bytes& b, std::size_t offset, std::size_t count) {
    return Bytes(b.begin() + static_cast<std::ptrdiff_t>(offset),
                 b.begin() + static_cast<std::ptrdiff_t>(offset + count));
}

} // namespace

TEST_F(InteractionMuchSetTest, WindowHasTheExpectedWidgets) {
    EXPECT_EQ(dialog.windowTitle(), "InteractionMuchSet");
    EXPECT_EQ(dialog.size(), QSize(555, 623));
    EXPECT_EQ(dialog.findChild<QGroupBox*>("groupBox")->title(), "Laser Config");
    EXPECT_EQ(dialog.findChild<QGroupBox*>("groupBox_real_time_status")->title(), "Laser State");
    for (const char* name :
         {"lineEdit_DefaultIP", "lineEdit_defaultPort", "lineEdit_DestIP", "lineEdit_destPort",
          "lineEdit_mac_addr", "lineEdit_interval", "lineEdit_NTP", "lineEdit_utc_time",
          "lineEdit_GPS_Position_longitude", "lineEdit_GPS_Position_latitude",
          "lineEdit_Motor_State", "lineEdit_Current_IP", "lineEdit_Current_Port"}) {
        ASSERT_NE(edit(name), nullptr) << name;
        EXPECT_TRUE(edit(name)->text().isEmpty()) << name;
    }
    QStringList labels;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        labels << label->text();
    }
    for (const char* text :
         {"Lidar IP：", "Data Port：", "Computer IP：", "Equipment Port：", "Moto PRM：",
          "Local time：", "Mac：", "Packet interval：", "Moto State：", "NTP IP：", "GPS time：",
          "GPS Posotion：", "Longitude：", "latitude："}) {
        EXPECT_TRUE(labels.contains(QString::fromUtf8(text))) << text;
    }
    const auto items = [this](const char* name) {
        QStringList texts;
        for (int i = 0; i < combo(name)->count(); ++i) {
            texts << combo(name)->itemText(i);
        }
        EXPECT_EQ(combo(name)->currentIndex(), 0) << name;
        return texts;
    };
    EXPECT_EQ(items("comboBox_rotateSpeed"), QStringList({" 5 HZ", " 10 HZ", " 20 HZ"}));
    EXPECT_EQ(items("comboBox_localTime"), QStringList({" Yes", " No"}));
    EXPECT_EQ(items("comboBox"), QStringList({"Run", "Stop"}));
    EXPECT_EQ(dialog.findChild<QPushButton*>("pushButton_LidarRefresh")->text(), "Refresh state");
    EXPECT_EQ(dialog.findChild<QPushButton*>("pushButton_OK")->text(), "Set");
    EXPECT_EQ(dialog.findChild<QPushButton*>("pushButton_Cancel")->text(), "Cancel");
    EXPECT_FALSE(edit("lineEdit_mac_addr")->isEnabled());
    for (const char* name :
         {"lineEdit_Current_IP", "lineEdit_Current_Port", "lineEdit_GPS_Position_longitude",
          "lineEdit_GPS_Position_latitude", "lineEdit_Motor_State"}) {
        EXPECT_EQ(edit(name)->focusPolicy(), Qt::NoFocus) << name;
    }
}

TEST_F(InteractionMuchSetTest, ValidatorsAcceptAddressesAndPortsButLetPartialTextStay) {
    for (const char* name : {"lineEdit_DefaultIP", "lineEdit_DestIP", "lineEdit_NTP"}) {
        const QValidator* v = edit(name)->validator();
        ASSERT_NE(v, nullptr) << name;
        int pos = 0;
        QString text = "192.168.1.200";
        EXPECT_EQ(v->validate(text, pos), QValidator::Acceptable) << name;
        text = "192.168.";
        EXPECT_EQ(v->validate(text, pos), QValidator::Intermediate) << name;
        text = "256.1.1.1";
        EXPECT_EQ(v->validate(text, pos), QValidator::Invalid) << name;
    }
    for (const char* name : {"lineEdit_defaultPort", "lineEdit_destPort"}) {
        const auto* v = qobject_cast<const QIntValidator*>(edit(name)->validator());
        ASSERT_NE(v, nullptr) << name;
        EXPECT_EQ(v->bottom(), 1024);
        EXPECT_EQ(v->top(), 65536);
    }
    EXPECT_EQ(edit("lineEdit_interval")->validator(), nullptr);
}

TEST_F(InteractionMuchSetTest, StatusFillsTheStateFields) {
    const char latitude[] = "03113.5432";
    for (std::size_t i = 0; i < 10; ++i) {
        info.put(212 + i, {static_cast<std::uint8_t>(latitude[i])});
        info.put(222 + i, {static_cast<std::uint8_t>('0' + i)});
    }
    info.put(232, {'N', 'E'}).put(36, {32, 12, 7, 20, 5, 9, 0x01, 0xF4, 0x00, 0x64});
    deliver(info);
    EXPECT_EQ(edit("lineEdit_Motor_State")->text(), "600");
    EXPECT_EQ(edit("lineEdit_utc_time")->text(), "2032/12/8 4:5:9:500:100");
    EXPECT_EQ(edit("lineEdit_GPS_Position_latitude")->text(), "3113.5432N");
    EXPECT_EQ(edit("lineEdit_GPS_Position_longitude")->text(), "0123456789E");
    EXPECT_EQ(edit("lineEdit_mac_addr")->text(), "00-0a-35-00-1e-53");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(InteractionMuchSetTest, RefreshTakesTheLastPacketOnce) {
    click("pushButton_LidarRefresh");
    EXPECT_EQ(boxes, std::vector<Box>{kNoPacket});
    boxes.clear();

    info.putBe16(46, 1).putBe16(50, 7).putBe16(24, 3000);
    deliver(info);
    click("pushButton_LidarRefresh");
    EXPECT_EQ(boxes, std::vector<Box>{kRefreshed});
    EXPECT_EQ(edit("lineEdit_DefaultIP")->text(), "127.0.0.1");
    EXPECT_EQ(edit("lineEdit_Current_IP")->text(), "127.0.0.1");
    EXPECT_EQ(edit("lineEdit_DestIP")->text(), "127.0.0.2");
    EXPECT_EQ(edit("lineEdit_NTP")->text(), "127.0.0.3");
    EXPECT_EQ(edit("lineEdit_defaultPort")->text(), "3000");
    EXPECT_EQ(edit("lineEdit_destPort")->text(), "2369");
    EXPECT_EQ(edit("lineEdit_Current_Port")->text(), "2369");
    EXPECT_EQ(edit("lineEdit_interval")->text(), "7");
    EXPECT_EQ(combo("comboBox")->currentText(), "Stop");
    EXPECT_EQ(combo("comboBox_rotateSpeed")->currentText(), " 10 HZ");

    boxes.clear();
    click("pushButton_LidarRefresh");
    EXPECT_EQ(boxes, std::vector<Box>{kPacketUsed});
}

TEST_F(InteractionMuchSetTest, RefreshPicksTheRateByTheMotorSpeed) {
    const struct {
        int rpm;
        int index; // -1: no item fits, none is shown
    } cases[] = {{200, 0},  {300, 0},  {400, 0},   {401, -1}, {450, -1},  {499, -1},
                 {500, 1},  {600, 1},  {700, 1},   {701, -1}, {1099, -1}, {1100, 2},
                 {1200, 2}, {1300, 2}, {1301, -1}, {199, -1}, {0, -1}};
    for (const auto& c : cases) {
        for (int before = 0; before < 3; ++before) {
            combo("comboBox_rotateSpeed")->setCurrentIndex(before);
            deliver(InfoTestPacket(info).putBe16(8, c.rpm));
            click("pushButton_LidarRefresh");
            EXPECT_EQ(combo("comboBox_rotateSpeed")->currentIndex(), c.index) << c.rpm << " rpm";
            EXPECT_EQ(edit("lineEdit_Motor_State")->text(), QString::number(c.rpm));
        }
    }
}

TEST_F(InteractionMuchSetTest, SetWithoutAPacketWarnsAndSendsNothing) {
    click("pushButton_OK");
    EXPECT_EQ(boxes, std::vector<Box>{kNoPacket});
    EXPECT_FALSE(received());
    EXPECT_TRUE(logFiles().isEmpty());
}

TEST_F(InteractionMuchSetTest, RefusedFieldsAreNamedAndNothingIsSentOrLogged) {
    const struct {
        const char* field;
        const char* text;
        const char* named;
    } cases[] = {{"lineEdit_DefaultIP", "192.168.1.", "Lidar IP"},
                 {"lineEdit_interval", "65536", "Packet interval"}};
    for (const auto& c : cases) {
        deliverAndRefresh(info);
        edit(c.field)->setText(c.text);
        click("pushButton_OK");
        ASSERT_EQ(boxes.size(), 1u) << c.text;
        EXPECT_EQ(boxes[0].title, "warring");
        EXPECT_TRUE(boxes[0].text.startsWith(c.named)) << boxes[0].text.toStdString();
        EXPECT_TRUE(boxes[0].text.contains(c.text)) << boxes[0].text.toStdString();
        EXPECT_FALSE(received()) << c.text;
    }
    EXPECT_TRUE(logFiles().isEmpty());
}

TEST_F(InteractionMuchSetTest, NothingTheSensorDidNotReportIsSentBeforeARefreshFilledTheFields) {
    // A status alone: the rate and motor boxes show their first items and
    // the empty fields would send their defaults.
    deliver(info);
    click("pushButton_OK");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Tips");
    EXPECT_TRUE(boxes[0].text.contains("press Refresh state first")) << boxes[0].text.toStdString();

    // A speed and a motor state that no item shows are not replaced by
    // whatever the boxes held, until the user chooses.
    deliverAndRefresh(InfoTestPacket(info).putBe16(8, 900).putBe16(46, 7));
    click("pushButton_OK");
    click("pushButton_OK");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(boxes[0].text.startsWith("Moto PRM") && boxes[0].text.contains("900"))
        << boxes[0].text.toStdString();
    EXPECT_TRUE(boxes[1].text.startsWith("Moto PRM")) << boxes[1].text.toStdString();
    EXPECT_FALSE(received());
    EXPECT_TRUE(logFiles().isEmpty());

    boxes.clear();
    combo("comboBox_rotateSpeed")->setCurrentIndex(2);
    emit combo("comboBox_rotateSpeed")->activated(2);
    click("pushButton_OK");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.startsWith("Moto State") && boxes[0].text.contains("7"))
        << boxes[0].text.toStdString();
    combo("comboBox")->setCurrentIndex(1);
    emit combo("comboBox")->activated(1);
    click("pushButton_OK");
    const std::optional<Bytes> sent = received();
    ASSERT_TRUE(sent);
    EXPECT_EQ(slice(*sent, 8, 2), (Bytes{0x04, 0xB0}));
    EXPECT_EQ(slice(*sent, 46, 2), (Bytes{0, 1}));

    // Emptied fields are no reading either.
    dialog.onCleanUCWPControl();
    deliver(info);
    boxes.clear();
    click("pushButton_OK");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Tips");
    EXPECT_TRUE(boxes[0].text.contains("press Refresh state first")) << boxes[0].text.toStdString();
    EXPECT_FALSE(received());
}

TEST_F(InteractionMuchSetTest, SameAddressesAreRefused) {
    deliverAndRefresh(info);
    edit("lineEdit_DestIP")->setText("127.0.0.1");
    click("pushButton_OK");
    EXPECT_EQ(boxes, std::vector<Box>{kSameAddress});
    EXPECT_FALSE(received());
    EXPECT_TRUE(logFiles().isEmpty());
}

TEST_F(InteractionMuchSetTest, EverySetWaitsForTheNextPacket) {
    const std::vector<std::pair<const char*, std::function<void()>>> outcomes = {
        {"same addresses", [this] { edit("lineEdit_DestIP")->setText("127.0.0.1"); }},
        {"refused field", [this] { edit("lineEdit_NTP")->setText("1.2."); }},
        {"sent", [] {}},
        {"send failed", [this] { dialog.setSensorPort(0); }},
    };
    for (const auto& [name, prepare] : outcomes) {
        deliverAndRefresh(info);
        prepare();
        click("pushButton_OK");
        boxes.clear();
        click("pushButton_OK");
        EXPECT_EQ(boxes, std::vector<Box>{kPacketUsed}) << name;
        boxes.clear();
        received();
        dialog.setSensorPort(sensor.localPort());
    }
}

TEST_F(InteractionMuchSetTest, SetSendsTheConfigurationPacketToTheSensor) {
    info.put(28, {0, 0, 0, 0});
    deliverAndRefresh(info);
    edit("lineEdit_DefaultIP")->setText("127.0.0.9");
    edit("lineEdit_DestIP")->setText("127.0.0.5");
    edit("lineEdit_defaultPort")->setText("3000");
    edit("lineEdit_interval")->setText("25");
    combo("comboBox_rotateSpeed")->setCurrentIndex(2);
    combo("comboBox")->setCurrentIndex(1);
    closeOnQuestion = true;
    dialog.show();
    click("pushButton_OK");

    const std::optional<Bytes> got = received();
    ASSERT_TRUE(got);
    ASSERT_EQ(got->size(), 1206u);
    EXPECT_EQ(slice(*got, 0, 8), (Bytes{0xAA, 0x00, 0xFF, 0x11, 0x22, 0x22, 0xAA, 0xAA}));
    EXPECT_EQ(slice(*got, 8, 2), (Bytes{0x04, 0xB0}));
    EXPECT_EQ(slice(*got, 10, 8), (Bytes{127, 0, 0, 9, 127, 0, 0, 5}));
    EXPECT_EQ(slice(*got, 18, 6), (Bytes{0x00, 0x0A, 0x35, 0x00, 0x1E, 0x53}));
    EXPECT_EQ(slice(*got, 24, 4), (Bytes{0x0B, 0xB8, 0x09, 0x41}));
    EXPECT_EQ(slice(*got, 28, 4), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(slice(*got, 36, 10), (Bytes{26, 12, 7, 1, 2, 3, 0x01, 0xC8, 0, 0}));
    EXPECT_EQ(slice(*got, 46, 2), (Bytes{0, 1}));
    EXPECT_EQ(slice(*got, 50, 10), (Bytes{0, 25, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(slice(*got, 60, 1144), Bytes(info.bytes.begin() + 60, info.bytes.begin() + 1204));
    EXPECT_EQ(slice(*got, 1204, 2), (Bytes{0x0F, 0xF0}));
    EXPECT_FALSE(received()); // one datagram per set-up

    EXPECT_EQ(boxes, (std::vector<Box>{kCompleted, kCloseQuestion}));
    EXPECT_FALSE(dialog.isVisible()); // OK closes the window
}

TEST_F(InteractionMuchSetTest, AFailedSendIsReportedInsteadOfCompleted) {
    deliverAndRefresh(info);
    dialog.setSensorPort(0); // the kernel refuses to send to port 0
    click("pushButton_OK");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, "about");
    EXPECT_EQ(boxes[0].title, "Tips");
    EXPECT_NE(boxes[0].text, "Setup completed");
    EXPECT_TRUE(boxes[0].text.contains("127.0.0.1:0")) << boxes[0].text.toStdString();
    // No set-up happened, so no packet is logged as its result.
    now = now.addSecs(10);
    deliver(info);
    EXPECT_FALSE(logFiles().join(' ').contains("__New.ini"));
}

TEST_F(InteractionMuchSetTest, ASetUpLogsThePacketBeforeTheSentOneAndTheFirstOneAfter) {
    deliverAndRefresh(info);
    const QDateTime setUp = now;
    click("pushButton_OK");
    const std::optional<Bytes> sent = received();
    ASSERT_TRUE(sent);
    EXPECT_EQ(logFiles(), QStringList({logName("Before", setUp), logName("Modify", setUp)}));
    EXPECT_EQ(logText(logName("Before", setUp)), dump(info.bytes.data(), info.bytes.size()));
    EXPECT_EQ(logText(logName("Modify", setUp)), dump(sent->data(), sent->size()));

    // Only a packet three whole seconds after the set-up counts as its result.
    now = setUp.addMSecs(2999);
    deliver(InfoTestPacket(info).putBe16(8, 1));
    EXPECT_EQ(logFiles().size(), 2);
    now = setUp.addSecs(3);
    const InfoTestPacket after = InfoTestPacket(info).putBe16(8, 2);
    deliver(after);
    now = setUp.addSecs(4);
    deliver(InfoTestPacket(info).putBe16(8, 3));
    EXPECT_EQ(logFiles().size(), 3);
    EXPECT_EQ(logText(logName("New", setUp.addSecs(3))),
              dump(after.bytes.data(), after.bytes.size()));
}

TEST_F(InteractionMuchSetTest, ALogFolderThatCannotBeMadeDoesNotStopTheSetUp) {
    QFile blocker(logs.path() + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    dialog.setLogDirectory(logs.path() + "/file/");
    deliverAndRefresh(info);
    click("pushButton_OK");
    EXPECT_TRUE(received());
    EXPECT_EQ(boxes, (std::vector<Box>{kCompleted, kCloseQuestion}));
}

TEST_F(InteractionMuchSetTest, LogsGoUnderTheUsersApplicationData) {
    EXPECT_EQ(InteractionMuchSet::defaultLogDirectory(),
              QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                  "/CorvaneLidar_Log/");
}

TEST_F(InteractionMuchSetTest, CleanEmptiesTheEditableAndStatusFieldsAndCancelHides) {
    deliverAndRefresh(info);
    dialog.show();
    dialog.onCleanUCWPControl();
    for (const char* name : {"lineEdit_Current_IP", "lineEdit_DefaultIP", "lineEdit_DestIP",
                             "lineEdit_Current_Port", "lineEdit_defaultPort", "lineEdit_destPort",
                             "lineEdit_GPS_Position_latitude", "lineEdit_GPS_Position_longitude",
                             "lineEdit_Motor_State", "lineEdit_mac_addr", "lineEdit_interval"}) {
        EXPECT_TRUE(edit(name)->text().isEmpty()) << name;
    }
    EXPECT_EQ(edit("lineEdit_NTP")->text(), "127.0.0.3");
    click("pushButton_Cancel");
    EXPECT_FALSE(dialog.isVisible());
}

// The receiver and the window wired as the main window wires them: string
// signatures, unique connections, deliveries queued across threads.
TEST_F(InteractionMuchSetTest, PacketsFromTheReceiverFillTheWindowAndSetReachesTheSensor) {
    registerDeviceReportMetaType();
    GetSet receiver;
    ASSERT_TRUE(QObject::connect(&receiver, SIGNAL(SendDeviceReport(DeviceReport)), &dialog,
                                 SLOT(OnDeviceReport(DeviceReport)), Qt::UniqueConnection));
    ASSERT_FALSE(QObject::connect(&receiver, SIGNAL(SendDeviceReport(DeviceReport)), &dialog,
                                  SLOT(OnDeviceReport(DeviceReport)), Qt::UniqueConnection));
    receiver.port = 0;
    receiver.start();
    ASSERT_TRUE(waitUntil([&] { return receiver.boundPort() != 0; }));

    UdpSocket device;
    const InfoTestPacket report = InfoTestPacket(info).putBe16(8, 1200);
    ASSERT_TRUE(device.sendTo("127.0.0.1", static_cast<std::uint16_t>(receiver.boundPort()),
                              report.bytes.data(), report.bytes.size()));
    ASSERT_TRUE(waitUntil([&] { return edit("lineEdit_Motor_State")->text() == "1200"; }));
    ASSERT_TRUE(waitUntil([&] {
        click("pushButton_LidarRefresh");
        return edit("lineEdit_DefaultIP")->text() == "127.0.0.1";
    }));
    EXPECT_EQ(combo("comboBox_rotateSpeed")->currentText(), " 20 HZ");
    boxes.clear();
    edit("lineEdit_interval")->setText("9");
    click("pushButton_OK");
    const std::optional<Bytes> got = received();
    ASSERT_TRUE(got);
    EXPECT_EQ(slice(*got, 8, 2), (Bytes{0x04, 0xB0}));
    EXPECT_EQ(slice(*got, 50, 2), (Bytes{0, 9}));
    EXPECT_EQ(boxes.front(), kCompleted);

    receiver.stop = true;
    ASSERT_TRUE(receiver.wait(30000));
}

// Two sensors report to one equipment port, as on a vehicle: the window
// shows, reads and sets only the one chosen.
TEST_F(InteractionMuchSetTest, OnlyTheChosenSensorIsShownReadAndSet) {
    UdpSocket second;
    ASSERT_TRUE(second.bindTo("127.0.0.2", sensor.localPort()));
    ASSERT_TRUE(second.setReceiveTimeout(100));
    const AddressBytes a{127, 0, 0, 1};
    const AddressBytes b{127, 0, 0, 2};
    InfoTestPacket other = InfoTestPacket(info).putBe16(8, 1200).putBe16(50, 4);
    other.put(10, {127, 0, 0, 2, 127, 0, 0, 9}).put(18, {0x02, 0x00, 0x00, 0x00, 0x00, 0x0B});

    // The first sensor heard is shown; the other's packets change nothing.
    deliver(info, a);
    deliver(other, b);
    EXPECT_EQ(edit("lineEdit_mac_addr")->text(), "00-0a-35-00-1e-53");
    EXPECT_EQ(edit("lineEdit_Motor_State")->text(), "600");
    auto* list = combo("comboBox_Sensor");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentText(), "127.0.0.1 (00-0a-35-00-1e-53)");
    EXPECT_EQ(list->itemText(1), "127.0.0.2 (02-00-00-00-00-0b)");

    // The main window's choice: the other sensor's status at once, nothing
    // of the first left in the fields.
    deliverAndRefresh(info);
    dialog.chooseSensor(b);
    EXPECT_EQ(list->currentText(), "127.0.0.2 (02-00-00-00-00-0b)");
    EXPECT_EQ(edit("lineEdit_mac_addr")->text(), "02-00-00-00-00-0b");
    EXPECT_EQ(edit("lineEdit_Motor_State")->text(), "1200");
    EXPECT_TRUE(edit("lineEdit_DefaultIP")->text().isEmpty());
    click("pushButton_LidarRefresh");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Resresh completed\nRead from sensor 127.0.0.2 (02-00-00-00-00-0b).");
    deliver(info, a);
    EXPECT_EQ(edit("lineEdit_DefaultIP")->text(), "127.0.0.2");
    EXPECT_EQ(edit("lineEdit_interval")->text(), "4");
    EXPECT_EQ(edit("lineEdit_mac_addr")->text(), "02-00-00-00-00-0b");

    // "Set" goes to that sensor alone, built on its own packet.
    click("pushButton_OK");
    EXPECT_FALSE(received());
    std::array<std::uint8_t, 2048> buffer{};
    const UdpSocket::Received got = second.receive(buffer.data(), buffer.size());
    ASSERT_EQ(got.status, UdpSocket::Status::Ok);
    const Bytes sent(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got.size));
    EXPECT_EQ(slice(sent, 10, 8), (Bytes{127, 0, 0, 2, 127, 0, 0, 9}));
    EXPECT_EQ(slice(sent, 18, 6), (Bytes{0x02, 0x00, 0x00, 0x00, 0x00, 0x0B}));
    EXPECT_EQ(slice(sent, 8, 2), (Bytes{0x04, 0xB0}));

    // Choosing the first sensor in the window's own list: its values must be
    // read before anything is sent to it.
    deliver(info, a);
    list->setCurrentIndex(0);
    emit list->activated(0);
    EXPECT_TRUE(edit("lineEdit_DefaultIP")->text().isEmpty());
    EXPECT_EQ(edit("lineEdit_mac_addr")->text(), "00-0a-35-00-1e-53");
    boxes.clear();
    click("pushButton_OK");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "The values of sensor 127.0.0.1 (00-0a-35-00-1e-53) have not been "
                             "read yet: press Refresh state first. Nothing was sent.");
    EXPECT_FALSE(received());
    EXPECT_NE(second.receive(buffer.data(), buffer.size()).status, UdpSocket::Status::Ok);
}

TEST_F(InteractionMuchSetTest, SetRefusesAnotherSensorsPacketAndAnOldOne) {
    // Another sensor at the same address (a replacement, or two still at the
    // factory address): its MAC tells it apart.
    deliverAndRefresh(info);
    deliver(InfoTestPacket(info).put(18, {0x00, 0x0A, 0x35, 0x00, 0x1E, 0x54}));
    click("pushButton_OK");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "The fields hold what sensor 127.0.0.1 (00-0a-35-00-1e-53) reported, but the device "
              "packet at hand is sensor 127.0.0.1 (00-0a-35-00-1e-54)'s: press Refresh state to "
              "read the sensor to set. Nothing was sent.");
    EXPECT_FALSE(received());

    // A sensor that went quiet may not be the one the fields were read from.
    boxes.clear();
    deliverAndRefresh(info);
    dialog.OnDeviceReport(info.from({127, 0, 0, 1}, std::chrono::seconds(6)));
    click("pushButton_OK");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.startsWith("Sensor 127.0.0.1 (00-0a-35-00-1e-53) has sent no device "
                                         "packet for 6 s"))
        << boxes[0].text.toStdString();
    EXPECT_FALSE(received());
    EXPECT_TRUE(logFiles().isEmpty());
}

// A speed no item fits leaves the list without a choice, so that any choice
// counts, made in the popup as with the keyboard.
TEST_F(InteractionMuchSetTest, AnyChoiceOfARateCountsWhenTheReportedSpeedFitsNone) {
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QComboBox* rate = combo("comboBox_rotateSpeed");
    for (const bool popup : {true, false}) {
        rate->setCurrentIndex(0);
        deliverAndRefresh(InfoTestPacket(info).putBe16(8, 900));
        EXPECT_EQ(rate->currentIndex(), -1);
        EXPECT_EQ(rate->placeholderText(), "900 rpm: choose a rate");
        if (popup) {
            rate->showPopup();
            QAbstractItemView* view = rate->view();
            ASSERT_TRUE(waitUntil([view] { return view->isVisible(); }, 30000));
            const QRect item = view->visualRect(view->model()->index(0, 0));
            QTest::mouseMove(view->viewport(), item.center());
            QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
            ASSERT_TRUE(waitUntil([view] { return !view->isVisible(); }, 30000));
        } else {
            rate->setFocus();
            QTest::keyClick(rate, Qt::Key_Down);
        }
        ASSERT_EQ(rate->currentText(), " 5 HZ");
        click("pushButton_OK");
        const std::optional<Bytes> sent = received();
        ASSERT_TRUE(sent) << (boxes.empty() ? "" : boxes[0].text.toStdString());
        EXPECT_EQ(slice(*sent, 8, 2), (Bytes{0x01, 0x2C}));
    }
}
