#include "FileDialogAnswer.h"
#include "WindowFixture.h"

#include "app/PlaybackBar.h"
#include "app/ViewSaving.h"
#include "app/WindowSettings.h"
#include "capture/ReadLiveOffData.h"
#include "platform/LastFolders.h"
#include "platform/SettingsStore.h"
#include "support/TestCaptureWriter.h"

#include <QComboBox>
#include <QDropEvent>
#include <QMimeData>
#include <QRegularExpression>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <pcl/io/ply_io.h>

namespace {

// A capture whose frames hold 100, 200, ... points.
void writeCapture(const QString& path, int frames) {
    std::vector<std::vector<RingPoint>> rings;
    for (int f = 0; f < frames; ++f) {
        rings.push_back(ring(100 * (f + 1)));
    }
    TestCaptureWriter writer(path.toStdString(), {});
    for (const auto& payload : payloadsOf(rings, false)) {
        writer.writePayload(payload.data());
    }
    writer.close();
    ASSERT_TRUE(writer.ok());
}

// The frame as it reaches the window from a receiver.
void deliver(manwindow& window, const MuchLidarData& frame) {
    QMetaObject::invokeMethod(&window, "CalculateMuch", Qt::QueuedConnection,
                              Q_ARG(MuchLidarData, frame));
}

MuchLidarData ringFrame(int points) {
    MuchLidarData frame;
    for (const RingPoint& p : ring(points)) {
        frame.append(p.channel, p.azimuthRaw / 100.0f, p.distanceRaw / 256.0f, p.intensity);
    }
    return frame;
}

class Desktop : public WindowFixture {
protected:
    PlaybackBar& bar() { return window.playbackControl(); }
    int position() const { return window.playbackPosition().currentFrame; }
    QLineEdit* field(const char* name) { return child<QLineEdit>(name); }

    // A drag of `path` entering the window, then its drop; whether each was taken.
    std::pair<bool, bool> dragAndDrop(const QString& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        const QPoint at = window.rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &enter);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &drop);
        return {enter.isAccepted(), drop.isAccepted()};
    }

    // Waits until the player has stopped at its gate and its frames are on
    // screen.
    bool settled() {
        ReadLiveOffData& player = window.offlinePlayerThread();
        return waitUntil([&] {
            return !player.gateOpen() && window.framesDelivered() == player.framesEmitted() &&
                   !window.drawing().drawPending();
        });
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(Desktop, SettingsSurviveARestartAndRestoreDefaultsForgetsThem) {
    field("lineEdit_portNumber")->setText("2370");
    field("lineEdit_portNumber_2")->setText("2371");
    field("lineEdit_2")->setText("");
    child<QComboBox>("comboBox_4")->setCurrentIndex(3);
    child<QComboBox>("comboBox_View")->setCurrentIndex(0);
    window.cloudView().setPointSize(4);
    window.setWindowState(Qt::WindowNoState);
    window.setGeometry(40, 50, 1300, 700);
    ASSERT_TRUE(waitUntil([&] { return window.size() == QSize(1300, 700); }));
    LastFolders::remember(LastFolders::Dialog::SaveCsv, dir.filePath("frames.csv"));
    window.close();

    {
        manwindow again;
        EXPECT_EQ(again.findChild<QLineEdit*>("lineEdit_portNumber")->text(), "2370");
        EXPECT_EQ(again.findChild<QLineEdit*>("lineEdit_portNumber_2")->text(), "2371");
        EXPECT_EQ(again.findChild<QLineEdit*>("lineEdit_2")->text(), "");
        EXPECT_EQ(again.findChild<QComboBox*>("comboBox_4")->currentIndex(), 3);
        EXPECT_EQ(again.findChild<QComboBox*>("comboBox_View")->currentIndex(), 0);
        EXPECT_EQ(again.cloudView().pointSize(), 4);
        EXPECT_EQ(again.size(), QSize(1300, 700));
        EXPECT_EQ(LastFolders::folder(LastFolders::Dialog::SaveCsv), dir.path());

        // The question is answered with its OK button.
        QString asked;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                asked = box->windowTitle();
                box->button(QMessageBox::Ok)->click();
            }
        });
        answer.start(10);
        again.findChild<QToolButton*>("toolButton_RestoreDefaults")->click();
        EXPECT_EQ(asked, "Question");
        const ViewerSettings shown = again.windowSettings().shown();
        EXPECT_EQ(shown.dataPort, "2368");
        EXPECT_EQ(shown.telemetryPort, "2369");
        EXPECT_EQ(shown.multicastAddress, "224.1.1.1");
        EXPECT_EQ(shown.colourMode, 0);
        EXPECT_EQ(shown.viewPreset, 1);
        EXPECT_EQ(shown.pointSize, 1);
        EXPECT_TRUE(LastFolders::folder(LastFolders::Dialog::SaveCsv).isEmpty());
        EXPECT_EQ(ViewerSettings::load().dataPort, "2368");
    }

    // Stored values the window cannot use give way to the defaults.
    {
        const auto stored = SettingsStore::open();
        stored->setValue("network/dataPort", "70000");
        stored->setValue("view/pointSize", 11);
        stored->setValue("view/preset", "Top");
    }
    const ViewerSettings loaded = ViewerSettings::load();
    EXPECT_EQ(loaded.dataPort, "2368");
    EXPECT_EQ(loaded.pointSize, 1);
    EXPECT_EQ(loaded.viewPreset, 1);
}

TEST_F(Desktop, ADroppedCaptureOpensAsWithTheOpenButton) {
    const QString capture = dir.filePath("street.PCAP");
    writeCapture(capture, 5);
    QFile other(dir.filePath("notes.txt"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();

    auto* tabs = child<QTabWidget>("tabWidget");
    tabs->setCurrentIndex(2);
    EXPECT_EQ(dragAndDrop(other.fileName()), std::make_pair(false, false));
    EXPECT_EQ(dragAndDrop(capture), std::make_pair(true, true));
    ASSERT_TRUE(waitUntil(
        [&] { return bar().capture() != nullptr && button("toolButton_Play")->isEnabled(); }));
    EXPECT_TRUE(bar().paused());
    EXPECT_EQ(position(), 0);
    EXPECT_EQ(child<QSlider>("Slider_Frame")->maximum(), 4);
    // Shown, ready to play, and said so: the frames between markers are
    // whole, the one before the first marker is not counted.
    EXPECT_EQ(tabs->tabText(tabs->currentIndex()), "Offline");
    EXPECT_EQ(window.focusWidget(), button("toolButton_Play"));
    EXPECT_EQ(window.statusBar()->currentMessage(), "street.PCAP: 4 frames, ready to play");

    // While Open is disabled (playing), a drop is refused like a press.
    button("toolButton_Play")->click();
    ASSERT_FALSE(button("toolButton_Open")->isEnabled());
    EXPECT_EQ(dragAndDrop(capture), std::make_pair(false, false));

    // At the end of the capture Open is back. A file that is no capture
    // gets the loader's own message.
    ASSERT_TRUE(waitUntil([&] { return button("toolButton_Open")->isEnabled(); }, 30000));
    ModalCatcher tips;
    const QString fake = dir.filePath("fake.pcapng");
    ASSERT_TRUE(other.rename(fake));
    EXPECT_EQ(dragAndDrop(fake), std::make_pair(true, true));
    ASSERT_TRUE(waitUntil([&] { return !tips.boxes.empty(); }));
    EXPECT_EQ(tips.boxes[0].title, "Tips");
}

TEST_F(Desktop, PlaybackKeysPressTheirButtonsUnlessAFieldUsesThem) {
    const QString capture = dir.filePath("street.pcap");
    // Long enough (8 s of playing) that a loaded machine does not reach the
    // end before the first step.
    const int frames = 100;
    writeCapture(capture, frames);
    ASSERT_TRUE(bar().openCapture(capture));
    ASSERT_TRUE(settled());
    screen()->setFocus();

    QTest::keyClick(screen(), Qt::Key_Space);
    EXPECT_FALSE(bar().paused());
    ASSERT_TRUE(waitUntil([&] { return position() >= 2; }));
    // A step while playing pauses first.
    QTest::keyClick(screen(), Qt::Key_Right);
    EXPECT_TRUE(bar().paused());
    ASSERT_TRUE(settled());
    const int at = position();
    ASSERT_LT(at, frames - 2);
    QTest::keyClick(screen(), Qt::Key_Right);
    ASSERT_TRUE(settled());
    EXPECT_EQ(position(), at + 1);
    QTest::keyClick(screen(), Qt::Key_Left);
    ASSERT_TRUE(settled());
    EXPECT_EQ(position(), at);

    // A field being edited keeps its keys.
    QLineEdit* port = field("lineEdit_portNumber");
    port->setFocus();
    QTest::keyClick(port, Qt::Key_Space);
    QTest::keyClick(port, Qt::Key_Home);
    EXPECT_EQ(port->text(), "2368 ");
    EXPECT_EQ(port->cursorPosition(), 0);
    EXPECT_TRUE(bar().paused());
    EXPECT_EQ(position(), at);

    screen()->setFocus();
    QTest::keyClick(screen(), Qt::Key_End);
    ASSERT_TRUE(
        waitUntil([&] { return position() == frames - 1 && !window.drawing().drawPending(); }));
    // At the end Go To Start is disabled, and so is its key, wherever the
    // focus is: the slider does not take it either.
    ASSERT_FALSE(button("toolButton_GoToStart")->isEnabled());
    auto* slider = child<QSlider>("Slider_Frame");
    for (QWidget* focus : {static_cast<QWidget*>(screen()), static_cast<QWidget*>(slider)}) {
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_Home);
        QTest::keyClick(focus, Qt::Key_Left);
        EXPECT_EQ(position(), frames - 1);
        EXPECT_EQ(slider->value(), frames - 1);
        EXPECT_FALSE(window.offlinePlayerThread().gateOpen());
    }
}

TEST_F(Desktop, SaveImageRendersTheViewAtItsSizeOnScreen) {
    const std::uint64_t delivered = window.framesDelivered();
    deliver(window, ringFrame(2000));
    ASSERT_TRUE(waitForDrawn(delivered, 1));

    const QString path = dir.filePath("view.png");
    ASSERT_TRUE(window.viewSaving().saveImageTo(path));
    const QImage saved(path);
    const QImage onScreen = screen()->grabFramebuffer();
    ASSERT_EQ(saved.size(), onScreen.size());
    EXPECT_EQ(saved.size(), screen()->size() * screen()->devicePixelRatioF());
    EXPECT_LT(differingPixels(saved.convertToFormat(onScreen.format()), onScreen),
              saved.width() * saved.height() / 100);
    // Not an empty view: the ring is in it.
    EXPECT_GT(differingPixels(saved, QImage(saved).copy(0, 0, 1, 1).scaled(saved.size())), 500);

    ModalCatcher tips;
    EXPECT_FALSE(window.viewSaving().saveImageTo(dir.filePath("missing/view.png")));
    ASSERT_EQ(tips.boxes.size(), 1u);
    EXPECT_EQ(tips.boxes[0].title, "Tips");
}

TEST_F(Desktop, SaveFrameAsWritesTheFrameOnScreenInTheChosenFormat) {
    {
        ModalCatcher tips;
        FileDialogAnswer answer(dir.filePath("nothing.ply"));
        button("toolButton_SaveFrame")->click();
        EXPECT_EQ(answer.asked, 0);
        ASSERT_EQ(tips.boxes.size(), 1u);
        EXPECT_EQ(tips.boxes[0].text, "There is no frame on screen to save.");
    }

    const std::uint64_t delivered = window.framesDelivered();
    deliver(window, ringFrame(700));
    ASSERT_TRUE(waitForDrawn(delivered, 1));
    const QString path = dir.filePath("frame.ply");
    {
        FileDialogAnswer answer(path);
        button("toolButton_SaveFrame")->click();
        EXPECT_EQ(answer.caption, "Save frame as");
        EXPECT_TRUE(QRegularExpression("^Vantor_\\d{4}(-\\d\\d){5}\\.pcd$")
                        .match(answer.proposedName)
                        .hasMatch())
            << answer.proposedName.toStdString();
    }
    FramePointCloud read;
    ASSERT_EQ(pcl::io::loadPLYFile(path.toStdString(), read), 0);
    EXPECT_EQ(read.size(), 700u);
    EXPECT_EQ(window.statusBar()->currentMessage(), "frame.ply: 1 frame, 700 points written");
    EXPECT_EQ(LastFolders::folder(LastFolders::Dialog::SaveFrame), dir.path());

    // LAS too: a header whose point count (at byte 107) is the frame's.
    FileDialogAnswer las(dir.filePath("frame.las"));
    button("toolButton_SaveFrame")->click();
    EXPECT_TRUE(las.filters.contains("LAS point cloud (*.las)"))
        << las.filters.join(";").toStdString();
    QFile file(dir.filePath("frame.las"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray header = file.read(111);
    EXPECT_TRUE(header.startsWith("LASF"));
    EXPECT_EQ(header.mid(107, 4), QByteArray("\xBC\x02\0\0", 4)); // 700
}
