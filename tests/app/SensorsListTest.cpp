// Several sensors on one data port in the window: the sensors list, the
// choice of one or all, poses, and the tools on one sensor's points.
#include "PickingHelpers.h"
#include "TwoSensorCapture.h"
#include "WindowFixture.h"

#include "FileDialogAnswer.h"
#include "app/About.h"
#include "app/AreaPicking.h"
#include "app/CaptureSensorChooser.h"
#include "app/CsvExport.h"
#include "app/InspectionTools.h"
#include "app/OtherSensorsView.h"
#include "app/PlaybackBar.h"
#include "app/RulerTool.h"
#include "app/SensorSettings.h"
#include "app/SensorsControl.h"
#include "app/SensorsPanel.h"
#include "device/InteractionMuchSet.h"
#include "device/SensorChooser.h"
#include "lidar/DataListModel.h"
#include "support/TestCaptureWriter.h"

#include <QComboBox>
#include <QDockWidget>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>

namespace {

constexpr int kPointsA = 120;
constexpr int kPointsB = 45;

SensorPose poseOf(double x, double y, double z, double roll, double pitch, double yaw) {
    SensorPose p;
    p.values = {x, y, z, roll, pitch, yaw};
    return p;
}

// Sensor A sends from 127.0.0.2 frames of 120 points, sensor B from
// 127.0.0.3 frames of 45, both on the level channel 20 cm around the
// sensor, to the window's data port.
class SensorsList : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        ASSERT_TRUE(a.bindTo("127.0.0.2", 0));
        ASSERT_TRUE(b.bindTo("127.0.0.3", 0));
        idA = SensorId{0x7F000002, a.localPort()};
        idB = SensorId{0x7F000003, b.localPort()};
    }

    void sendFrames(UdpSocket& from, int points, int frames, int port = 0) {
        std::vector<std::vector<RingPoint>> f(static_cast<std::size_t>(frames), ring(points));
        for (const auto& p : payloadsOf(f, false)) {
            ASSERT_TRUE(from.sendTo("127.0.0.1",
                                    static_cast<std::uint16_t>(port == 0 ? boundPort() : port),
                                    p.data(), p.size()));
        }
    }
    // Sends `frames` frames of each and waits until the window has had the
    // frames cut of them (one fewer each: the first begins the cutting) and
    // drawn what it shows.
    void sendBoth(int frames = 3) {
        if (!counting_) {
            // Queued after the window's own delivery of each frame.
            QObject::connect(&window.liveReceiverThread(), &GetMuch::SendLidarData, &counter_,
                             [this] { ++framesCut_; });
            counting_ = true;
        }
        const std::uint64_t before = framesCut_;
        sendFrames(a, kPointsA, frames);
        sendFrames(b, kPointsB, frames);
        ASSERT_TRUE(waitUntil([&] {
            return framesCut_ >= before + 2 * static_cast<std::uint64_t>(frames - 1) &&
                   !window.drawing().drawPending();
        }));
    }

    SensorsControl& sensors() { return window.sensors(); }
    SensorsPanel& panel() { return sensors().panel(); }
    QTableWidget& table() { return panel().table(); }
    QRadioButton* radio(int row) {
        return qobject_cast<QRadioButton*>(table().cellWidget(row, SensorsPanel::SensorColumn));
    }
    QString cell(int row, int column) { return table().item(row, column)->text(); }
    QLabel* notice() { return child<QLabel>("label_Sensors"); }
    QString listTitle() { return child<QDockWidget>("LidraDataDock")->windowTitle(); }

    // The points of a sensor's ring, as the sensor gives them.
    std::vector<PointXyz> ringPoints(int count) {
        std::vector<PointXyz> points;
        for (const RingPoint& p : ring(count)) {
            points.push_back(
                geometry.point(p.channel, p.azimuthRaw / 100.0f, p.distanceRaw / 256.0f));
        }
        return points;
    }

    std::vector<QString> csvRows(const QString& path) {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        std::vector<QString> rows;
        for (const QByteArray& line : f.readAll().split('\n')) {
            if (!line.isEmpty()) {
                rows.push_back(QString::fromLatin1(line));
            }
        }
        return rows;
    }

    const ChannelGeometry geometry;
    QObject counter_;
    bool counting_ = false;
    std::uint64_t framesCut_ = 0;
    UdpSocket a;
    UdpSocket b;
    SensorId idA;
    SensorId idB;
};

// A device-information packet from `from` reporting `mac`.
void sendDevicePacket(UdpSocket& from, int port, std::array<std::uint8_t, 6> mac) {
    std::array<std::uint8_t, 1206> packet{};
    packet[0] = 0xA5;
    packet[1] = 0xFF;
    std::copy(mac.begin(), mac.end(), packet.begin() + 18);
    ASSERT_TRUE(
        from.sendTo("127.0.0.1", static_cast<std::uint16_t>(port), packet.data(), packet.size()));
}

} // namespace

TEST_F(SensorsList, TheListShowsEachSensorsFiguresAndARowShowsThatSensorAlone) {
    ASSERT_TRUE(startLive());
    sendBoth();
    ASSERT_EQ(window.sensorsHeard(), (std::vector<SensorId>{idA, idB}));
    // The second sensor heard opens the list.
    EXPECT_TRUE(panel().isVisible());
    EXPECT_TRUE(button("toolButton_Sensors")->isChecked());

    UdpSocket statusB;
    ASSERT_TRUE(statusB.bindTo("127.0.0.3", 0));
    sendDevicePacket(statusB, window.statusReceiverThread().boundPort(),
                     {0x02, 0x00, 0x00, 0x00, 0x00, 0x0b});
    ASSERT_TRUE(waitUntil([&] {
        panel().refresh();
        return table().rowCount() == 3 && !cell(2, SensorsPanel::MacColumn).isEmpty();
    }));
    EXPECT_EQ(radio(0)->text(), "All sensors");
    EXPECT_EQ(radio(1)->text(), "127.0.0.2");
    EXPECT_EQ(radio(2)->text(), "127.0.0.3");
    EXPECT_EQ(cell(1, SensorsPanel::MacColumn), "");
    EXPECT_EQ(cell(2, SensorsPanel::MacColumn), "02-00-00-00-00-0b");
    // Two frames of each were cut since the start.
    EXPECT_EQ(cell(1, SensorsPanel::PointsColumn), "120");
    EXPECT_EQ(cell(2, SensorsPanel::PointsColumn), "45");
    EXPECT_TRUE(radio(1)->isChecked()); // the first heard is shown
    EXPECT_EQ(listTitle(), "LidarData: 127.0.0.2");

    // Figures per second: over any sample with datagrams and frames in it.
    ASSERT_TRUE(waitUntil([&] {
        sendBoth(3);
        panel().refresh();
        return cell(1, SensorsPanel::PacketsColumn) != "0" &&
               cell(2, SensorsPanel::FramesColumn) != "0.0";
    }));

    radio(2)->click();
    EXPECT_EQ(window.shownSensor(), idB);
    EXPECT_TRUE(radio(2)->isChecked());
    EXPECT_EQ(notice()->text(),
              QStringLiteral("2 sensors on port %1: showing 127.0.0.3").arg(boundPort()));
    EXPECT_EQ(listTitle(), "LidarData: 127.0.0.3");
    // The device windows act on the same sensor.
    const AddressBytes addressB{127, 0, 0, 3};
    EXPECT_EQ(window.laserConfigWindow().sensors().chosen(), addressB);
    EXPECT_EQ(window.aboutWindow().sensors().chosen(), addressB);
    EXPECT_EQ(SensorSettings::shown().sensor, SensorId::parse("127.0.0.3"));

    sendBoth();
    EXPECT_EQ(window.lastFrameReceived().sensor, idB);
    EXPECT_EQ(window.lastConversion().shown->size(), std::size_t{kPointsB});
    ASSERT_NE(window.dataListModel(), nullptr);
    EXPECT_EQ(window.dataListModel()->rowCount(), kPointsB);

    // The frame on screen saved as CSV holds B's points alone.
    button("tolbtn_SuspendData")->click();
    QTemporaryDir dir;
    const QString path = dir.filePath("b.csv");
    {
        FileDialogAnswer answer(path);
        button("toolButton_4")->click();
    }
    EXPECT_EQ(csvRows(path).size(), std::size_t{kPointsB + 1});
}

TEST_F(SensorsList, TheSensorChosenIsShownAgainWhenHeardAfterARestart) {
    ASSERT_TRUE(startLive());
    sendBoth();
    ASSERT_TRUE(window.showSensor(idB));
    window.close();

    manwindow next;
    next.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&next));
    next.findChild<QLineEdit*>("lineEdit_portNumber")->setText(QString::number(freeUdpPort()));
    next.findChild<QLineEdit*>("lineEdit_portNumber_2")->setText(QString::number(freeUdpPort()));
    next.findChild<QToolButton*>("toolButton_Lidar")->click();
    ASSERT_TRUE(waitUntil([&] { return next.liveReceiverThread().boundPort() != 0; }));
    const int port = next.liveReceiverThread().boundPort();

    // A alone is shown until B is heard again.
    sendFrames(a, kPointsA, 3, port);
    ASSERT_TRUE(waitUntil([&] { return next.framesDelivered() == 2; }));
    EXPECT_EQ(next.shownSensor(), idA);
    sendFrames(b, kPointsB, 3, port);
    sendFrames(a, kPointsA, 2, port);
    ASSERT_TRUE(waitUntil(
        [&] { return next.lastFrameReceived().sensor == idB && !next.drawing().drawPending(); }));
    EXPECT_EQ(next.shownSensor(), idB);
    EXPECT_EQ(next.lastConversion().shown->size(), std::size_t{kPointsB});
    EXPECT_EQ(next.laserConfigWindow().sensors().chosen(), (AddressBytes{127, 0, 0, 3}));
    next.close();
}

TEST_F(SensorsList, AllSensorsAreDrawnTogetherEachByItsPoseAndInItsColour) {
    ASSERT_TRUE(startLive());
    sendBoth();
    // B's pose typed into its row: half a metre along x, a quarter turn left.
    ASSERT_TRUE(waitUntil([&] {
        panel().refresh();
        return table().rowCount() == 3;
    }));
    table().item(2, SensorsPanel::FirstPoseColumn + SensorPose::X)->setText("0.5");
    table().item(2, SensorsPanel::FirstPoseColumn + SensorPose::Yaw)->setText("90");
    table().item(2, SensorsPanel::FirstPoseColumn + SensorPose::Z)->setText("2000"); // refused
    EXPECT_EQ(cell(2, SensorsPanel::FirstPoseColumn + SensorPose::Z), "0");
    EXPECT_EQ(SensorSettings::pose(idB), poseOf(0.5, 0, 0, 0, 0, 90));

    radio(0)->click();
    ASSERT_TRUE(window.allSensorsShown());
    EXPECT_EQ(
        notice()->text(),
        QStringLiteral("2 sensors on port %1: showing all\nlist, picking and export: 127.0.0.2")
            .arg(boundPort()));
    EXPECT_EQ(SensorSettings::shown().all, true);
    auto* colours = child<QComboBox>("comboBox_4");
    ASSERT_EQ(colours->itemText(5), "Sensor");
    colours->setCurrentIndex(5);

    sendBoth();
    ASSERT_TRUE(waitUntil([&] { return sensors().others().clouds().size() == 1; }));
    // A is the tools' sensor, at its own place (its pose is zero)...
    const std::vector<PointXyz> a0 = ringPoints(kPointsA);
    const auto& shownA = *window.lastConversion().shown;
    ASSERT_EQ(shownA.size(), std::size_t{kPointsA});
    EXPECT_EQ(shownA[0].x, a0[0].x);
    EXPECT_EQ((Rgb{shownA[0].r, shownA[0].g, shownA[0].b}), (Rgb{0, 200, 255}));
    // ...B beside it, turned and moved: (x, y, z) at (0.5 - y, x, z).
    const OtherSensorsView::Shown other = sensors().others().clouds()[0];
    EXPECT_EQ(other.sensor, idB);
    const std::vector<PointXyz> b0 = ringPoints(kPointsB);
    ASSERT_EQ(other.cloud->size(), std::size_t{kPointsB});
    for (std::size_t i : {std::size_t{0}, std::size_t{11}, std::size_t{30}}) {
        const auto& p = (*other.cloud)[i];
        EXPECT_NEAR(p.x, 0.5 - b0[i].y, 1e-6) << i;
        EXPECT_NEAR(p.y, b0[i].x, 1e-6) << i;
        EXPECT_NEAR(p.z, b0[i].z, 1e-6) << i;
        EXPECT_EQ((Rgb{p.r, p.g, p.b}), (Rgb{255, 140, 0}));
    }

    // Both show on screen in their colours, the camera fitted to both.
    child<QComboBox>("comboBox_View")->activated(CloudView::Top);
    screen()->renderWindow()->Render();
    const QImage image = screen()->grabFramebuffer();
    int colourA = 0;
    int colourB = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            colourA += p == qRgb(0, 200, 255) ? 1 : 0;
            colourB += p == qRgb(255, 140, 0) ? 1 : 0;
        }
    }
    EXPECT_GT(colourA, 20);
    EXPECT_GT(colourB, 10);
    EXPECT_TRUE(window.cloudView().viewer()->contains(OtherSensorsView::cloudId(idB)));

    // One sensor chosen again: B's cloud goes.
    radio(2)->click();
    EXPECT_FALSE(window.allSensorsShown());
    EXPECT_FALSE(window.cloudView().viewer()->contains(OtherSensorsView::cloudId(idB)));
}

TEST_F(SensorsList, WithAllShownTheToolsWorkOnTheSensorUnderTheFirstPoint) {
    SensorSettings::keepPose(SensorId{0x7F000003, 0}, poseOf(0.5, 0, 0, 0, 0, 0));
    ASSERT_TRUE(window.showAllSensors());
    ASSERT_TRUE(startLive());
    sendBoth();
    ASSERT_TRUE(waitUntil([&] { return sensors().others().clouds().size() == 1; }));
    child<QComboBox>("comboBox_View")->activated(CloudView::Top);
    button("tolbtn_SuspendData")->click();

    // A rectangle around B's points, which stand 0.5 m along x.
    std::vector<PointXyz> placedB = ringPoints(kPointsB);
    for (PointXyz& p : placedB) {
        p.x += 0.5f;
    }
    button("toolButton_select")->click();
    dragAround(window, placedB);
    ASSERT_TRUE(window.areaPicking().selectionActive());
    EXPECT_EQ(window.shownSensor(), idB);
    EXPECT_EQ(window.areaPicking().selectedCount(), kPointsB);
    EXPECT_EQ(
        notice()->text(),
        QStringLiteral("2 sensors on port %1: showing all\nlist, picking and export: 127.0.0.3")
            .arg(boundPort()));
    EXPECT_EQ(listTitle(), "LidarData: 127.0.0.3");
    // The list holds B's points where they stand.
    ASSERT_EQ(window.dataListModel()->rowCount(), kPointsB);
    const QString first =
        window.dataListModel()->data(window.dataListModel()->index(0, 1)).toString();
    EXPECT_GT(first.split(' ')[0].toDouble(), 0.29) << first.toStdString();
    // A is drawn beside, as another sensor.
    ASSERT_EQ(sensors().others().clouds().size(), 1u);
    EXPECT_EQ(sensors().others().clouds()[0].sensor, idA);

    // Saved as CSV: B's points in the box, placed.
    QTemporaryDir dir;
    const QString path = dir.filePath("b.csv");
    {
        FileDialogAnswer answer(path);
        button("toolButton_4")->click();
    }
    const std::vector<QString> rows = csvRows(path);
    ASSERT_EQ(rows.size(), std::size_t{kPointsB + 1});
    for (std::size_t i = 1; i < rows.size(); ++i) {
        EXPECT_GT(rows[i].split(',')[0].toDouble(), 0.29) << rows[i].toStdString();
    }

    // The ruler's first click on one of A's points gives A the tools.
    button("toolButton_Ruler")->click();
    const PointXyz a0 = ringPoints(kPointsA)[0];
    QTest::mouseClick(screen(), Qt::LeftButton, Qt::NoModifier, onScreen(window, a0.x, a0.y, a0.z));
    EXPECT_EQ(window.shownSensor(), idA);
    ASSERT_EQ(window.inspectionTools().ruler().points().size(), 1u);
    EXPECT_EQ(window.inspectionTools().ruler().points()[0].x, a0.x);
    EXPECT_FALSE(window.areaPicking().selectionActive());
}

TEST_F(SensorsList, WithAllShownAMultiFrameExportWritesTheToolsSensorsFramesAlone) {
    SensorSettings::keepPose(SensorId{0x7F000003, 0}, poseOf(0.5, 0, 0, 0, 0, 0));
    ASSERT_TRUE(window.showAllSensors());
    ASSERT_TRUE(startLive());
    sendBoth();
    ASSERT_EQ(window.shownSensor(), idA);

    QTemporaryDir dir;
    const QString path = dir.filePath("frames.csv");
    ExportSettings settings;
    settings.frameCount = 3;
    settings.maxAngle = 360;
    ASSERT_TRUE(window.csvExport().startTo(path, settings));
    ASSERT_TRUE(waitUntil([&] {
        sendBoth(2);
        return !window.csvExport().active();
    }));
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(path); }));
    const std::vector<QString> rows = csvRows(path);
    ASSERT_EQ(rows.size(), std::size_t{1 + 3 * kPointsA});
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const QStringList fields = rows[i].split(',');
        EXPECT_EQ(fields[0].toInt(), static_cast<int>((i - 1) / kPointsA) + 1) << i;
        // A's ring, 20 cm round its own origin; B's stands 0.3 m and more along x.
        EXPECT_LE(std::abs(fields[1].toDouble()), 0.2001) << rows[i].toStdString();
    }
}

TEST_F(SensorsList, ACaptureOfTwoSensorsIsChosenOnTheOfflineTab) {
    QTemporaryDir dir;
    const QString path = dir.filePath("two.pcap");
    writeTwoSensorCapture(path, 3, kPointsA, 5, kPointsB);
    PlaybackBar& bar = window.playbackControl();
    ASSERT_TRUE(bar.openCapture(path));
    auto* chooser = child<QComboBox>("comboBox_CaptureSensor");
    auto* slider = child<QSlider>("Slider_Frame");
    ASSERT_TRUE(chooser->isVisible());
    ASSERT_EQ(chooser->count(), 2);
    EXPECT_EQ(chooser->itemText(0), "10.0.0.2 (3 frames)");
    EXPECT_EQ(chooser->itemText(1), "10.0.0.3 (5 frames)");
    EXPECT_EQ(slider->maximum(), 3);

    chooser->setCurrentIndex(1);
    emit chooser->activated(1);
    EXPECT_EQ(bar.sensorPlayed(), 1);
    EXPECT_EQ(slider->maximum(), 5);
    EXPECT_EQ(notice()->text(), "2 sensors in two.pcap: showing 10.0.0.3");
    EXPECT_EQ(listTitle(), "LidarData: 10.0.0.3");
    EXPECT_EQ(window.statusBar()->currentMessage(),
              "two.pcap: 5 frames of 10.0.0.3, ready to play");

    // Opened again, the capture plays the sensor chosen last.
    ASSERT_TRUE(bar.openCapture(path));
    EXPECT_EQ(bar.sensorPlayed(), 1);
    EXPECT_EQ(chooser->currentIndex(), 1);
    EXPECT_EQ(slider->maximum(), 5);
    // Play is offered once the first frame is shown.
    ASSERT_TRUE(waitUntil([&] { return button("toolButton_Play")->isEnabled(); }));
    button("toolButton_Play")->click();
    ASSERT_TRUE(waitUntil([&] { return bar.playbackFinished(); }));
    ASSERT_TRUE(waitUntil([&] { return !window.drawing().drawPending(); }));
    EXPECT_EQ(window.lastFrameReceived().sensor, (SensorId{0x0A000003, 2368}));
    EXPECT_EQ(window.lastFrameReceived().size(), std::size_t{kPointsB});

    // A capture of one sensor offers no choice.
    const QString single = dir.filePath("one.pcap");
    {
        TestCaptureWriter writer(single.toStdString(), {});
        for (const auto& p : payloadsOf(std::vector<std::vector<RingPoint>>(2, ring(10)))) {
            writer.writePayload(p.data(), {0x0A000002, 2368});
        }
        writer.close();
    }
    ASSERT_TRUE(bar.openCapture(single));
    EXPECT_FALSE(chooser->isVisible());
    EXPECT_TRUE(notice()->isHidden());
}

TEST_F(SensorsList, At1366TheListAndTheNoticeAreWhole) {
    const QSize small(1366, 768);
    window.resize(small);
    ASSERT_TRUE(waitUntil([&] { return window.size() == small; }, 1000));
    ASSERT_TRUE(window.showAllSensors());
    ASSERT_TRUE(startLive());
    sendBoth();
    ASSERT_TRUE(waitUntil([&] {
        panel().refresh();
        return table().rowCount() == 3 && panel().isVisible();
    }));
    QApplication::processEvents();
    EXPECT_GE(notice()->width(), notice()->sizeHint().width());
    EXPECT_GE(notice()->height(), notice()->sizeHint().height());
    // Every column in view without scrolling, every address whole.
    EXPECT_LE(table().horizontalHeader()->length(), table().viewport()->width());
    for (int row = 0; row < table().rowCount(); ++row) {
        EXPECT_GE(radio(row)->width(), radio(row)->sizeHint().width()) << row;
    }
    auto* sensorsButton = button("toolButton_Sensors");
    EXPECT_GE(sensorsButton->width(), sensorsButton->sizeHint().width());
    // The 3D view keeps most of the height.
    EXPECT_GT(screen()->height(), 350);
}

TEST(SensorSettings, KeepTheChoiceByAddressAndEachAddresssPose) {
    const SensorId a{0x0A000002, 2368};
    const SensorId sameAddress{0x0A000002, 2400};
    SensorSettings::keepShown({false, a}, {a});
    EXPECT_EQ(SensorSettings::shown().sensor, SensorId::parse("10.0.0.2"));
    EXPECT_EQ(SensorSettings::shown().sensor->port, 0); // any port
    // Two sensors at one address: the port tells them apart.
    SensorSettings::keepShown({false, sameAddress}, {a, sameAddress});
    EXPECT_EQ(SensorSettings::shown().sensor, sameAddress);
    SensorSettings::keepShown({true, std::nullopt}, {a});
    EXPECT_TRUE(SensorSettings::shown().all);

    SensorSettings::keepPose(a, poseOf(1, 2, 3, 4, 5, 6));
    EXPECT_EQ(SensorSettings::pose(sameAddress), poseOf(1, 2, 3, 4, 5, 6));
    EXPECT_TRUE(SensorSettings::pose(SensorId{0x0A000003, 2368}).isIdentity());
    SensorSettings::keepPose(a, SensorPose{});
    EXPECT_TRUE(SensorSettings::pose(a).isIdentity());
}
