#include "FileDialogAnswer.h"
#include "WindowFixture.h"

#include "app/HealthPanel.h"
#include "app/PlaybackBar.h"
#include "capture/CaptureLoader.h"
#include "capture/ReadLiveOffData.h"
#include "lidar/CsvRowWriter.h"
#include "platform/ImagePath.h"
#include "support/TestCaptureWriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <pcl/visualization/pcl_visualizer.h>

namespace {

// Frame f of these captures holds sizes[f] points, so a frame on screen
// tells which one it is. The first frame has no marker before it, and the
// last marker ends the capture.
void writeFrames(const QString& path, const std::vector<int>& sizes) {
    std::vector<std::vector<RingPoint>> frames;
    for (int size : sizes) {
        frames.push_back(ring(size));
    }
    TestCaptureWriter writer(path.toStdString(), {});
    for (const auto& payload : payloadsOf(frames, false)) {
        writer.writePayload(payload.data());
    }
    writer.close();
    ASSERT_TRUE(writer.ok());
}

// The rows lidar-export writes for a capture, by frame number.
std::map<int, std::string> exportedFrames(const QString& capture, const QString& csv) {
    QProcess tool;
    tool.start(qEnvironmentVariable("VANTOR_BIN_DIR") + "/lidar-export", {"--quiet", capture, csv});
    EXPECT_TRUE(tool.waitForFinished(60000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().constData();
    QFile file(csv);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    std::map<int, std::string> rows;
    file.readLine(); // the header
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        rows[line.left(line.indexOf(',')).toInt()] += line.toStdString();
    }
    return rows;
}

std::vector<int> frameSizes(int frames, int first, int step) {
    std::vector<int> sizes;
    for (int f = 0; f < frames; ++f) {
        sizes.push_back(first + f * step);
    }
    return sizes;
}

class Playback : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        // Long enough that a test pausing a few frames in does not reach the end
        // first on a loaded machine.
        sizes = frameSizes(30, 100, 100);
        first = dir.filePath("first.pcap");
        writeFrames(first, sizes);
        // Queued to the GUI thread, as the window receives them.
        QObject::connect(&player(), &ReadLiveOffData::SendData, &context,
                         [this](const MuchLidarData& f) { sent.push_back(f.size()); });
    }

    PlaybackBar& bar() { return window.playbackControl(); }
    ReadLiveOffData& player() { return window.offlinePlayerThread(); }
    int position() const { return window.playbackPosition().currentFrame; }
    int frameCount() const { return static_cast<int>(sizes.size()); }
    std::size_t shownSize() const { return window.lastFrameReceived().size(); }
    QSlider* slider() { return child<QSlider>("Slider_Frame"); }
    QSpinBox* spinBox() { return child<QSpinBox>("Spbox_Frame"); }

    // Waits until `frame` is on screen, then checks that slider, spin box
    // and position name it and that it is the frame lidar-export numbers
    // so (frame 0, the points before the first marker, is not exported).
    void expectOnScreen(int frame) {
        SCOPED_TRACE(frame);
        ASSERT_TRUE(waitUntil([&] {
            return position() == frame && !window.drawing().drawPending();
        })) << "position "
            << position();
        EXPECT_EQ(slider()->value(), frame);
        EXPECT_EQ(spinBox()->value(), frame);
        if (frame == 0) {
            EXPECT_EQ(shownSize(), size(0));
            return;
        }
        if (exported.empty()) {
            exported = exportedFrames(first, dir.filePath("export.csv"));
        }
        std::string rows;
        CsvRowWriter(geometry, CsvRowWriter::Layout::MultiFrame)
            .appendFrame(rows, window.lastFrameReceived(), {}, frame);
        EXPECT_TRUE(rows == exported[frame])
            << "the frame on screen has " << window.lastFrameReceived().size() << " points";
    }

    void press(const char* name) {
        QToolButton* b = button(name);
        ASSERT_TRUE(b->isEnabled()) << name;
        b->click();
    }
    // The button shows the image "./Resources/images/<image>.png".
    bool shows(const char* name, const char* image) {
        const QImage expected =
            ImagePath::icon(QStringLiteral("./Resources/images/%1.png").arg(image))
                .pixmap(32, 32)
                .toImage();
        return button(name)->icon().pixmap(32, 32).toImage() == expected;
    }
    // The number of points of the index-th frame the player sent, once it
    // has arrived; 0 if it does not come.
    std::size_t sentFrame(std::size_t index) {
        return waitUntil([&] { return sent.size() > index; }) ? sent[index] : 0;
    }
    std::size_t size(int frame) const { return static_cast<std::size_t>(sizes[frame]); }
    bool waitForFrames(std::uint64_t before, std::uint64_t frames) {
        return waitUntil([&] { return window.framesDelivered() >= before + frames; });
    }
    // Waits until the player waits at its gate (or has ended) and what it
    // sent before has been taken in, then checks that nothing more arrives.
    void expectQuiet(int ms = 250) {
        ASSERT_TRUE(waitUntil([&] { return player().waitingAtGate() || !player().isRunning(); }));
        QCoreApplication::sendPostedEvents();
        const std::uint64_t before = window.framesDelivered();
        QTest::qWait(ms);
        EXPECT_EQ(window.framesDelivered(), before);
    }
    // Holds the capture loader at its first progress report until `go` is
    // set (at most 10 s), so that the test can act while a load runs.
    void stallLoadingUntil(const std::atomic<bool>& go) {
        QObject::disconnect(stall);
        stall = QObject::connect(
            &bar().captureLoader(), &CaptureLoader::SendProgress, &bar().captureLoader(),
            [&go, first = true](quint64, quint64) mutable {
                for (int ms = 0; first && !go && ms < 10000; ++ms) {
                    QThread::msleep(1);
                }
                first = false;
            },
            Qt::DirectConnection);
    }
    // Holds the player, on its own thread, once it has sent frame `frame`:
    // a pause pressed when that frame is on screen finds the player there
    // however slowly the window drew the frames before.
    void holdPlayerAt(int frame) {
        auto held = std::make_shared<std::atomic<bool>>(false);
        QObject::connect(
            &player(), &ReadLiveOffData::SendFrameNumber, &context,
            [this, frame, held](int number) {
                if (number == frame && !held->exchange(true)) {
                    player().closeGate();
                }
            },
            Qt::DirectConnection);
    }
    // Plays until `frames` frames have been shown, then pauses there.
    void playAndPauseAfter(int frames) {
        holdPlayerAt(frames);
        press("toolButton_Play");
        ASSERT_TRUE(waitUntil([&] { return position() >= frames; }));
        press("toolButton_Play");
        expectQuiet();
    }
    void dragSliderTo(int value) {
        slider()->setSliderDown(true);
        slider()->setSliderPosition(value);
        slider()->setSliderDown(false);
    }
    void expectLoadedState(int frames) {
        EXPECT_TRUE(button("toolButton_Play")->isEnabled());
        EXPECT_TRUE(shows("toolButton_Play", "Play"));
        for (const char* name :
             {"toolButton_GoToStart", "toolButton_GoToEnd", "toolButton_SeekForward",
              "toolButton_SeekBackward", "toolButton_Lidar"}) {
            EXPECT_FALSE(button(name)->isEnabled()) << name;
        }
        EXPECT_TRUE(slider()->isEnabled());
        EXPECT_EQ(slider()->maximum(), frames - 1);
        EXPECT_EQ(spinBox()->maximum(), frames - 1);
        EXPECT_EQ(slider()->value(), 0);
        EXPECT_EQ(spinBox()->value(), 0);
        EXPECT_EQ(position(), 0);
        EXPECT_TRUE(bar().paused());
        EXPECT_EQ(bar().playPressCount(), 1);
    }

    QTemporaryDir dir;
    std::vector<int> sizes;
    QString first;
    QObject context;
    std::vector<std::size_t> sent;
    ChannelGeometry geometry;
    std::map<int, std::string> exported;
    QMetaObject::Connection stall;
};

// Notes the progress dialogs that are shown while it lives.
class ProgressDialogWatch : public QObject {
public:
    explicit ProgressDialogWatch(std::function<void()> onShow = {}) : onShow_(std::move(onShow)) {
        qApp->installEventFilter(this);
    }
    ~ProgressDialogWatch() override { qApp->removeEventFilter(this); }

    struct Seen {
        QString label, title;
        int minimumWidth = 0, maximumWidth = 0;
        bool modal = false, cancelButton = true, icon = false, tabsEnabled = true;
    };
    std::vector<Seen> seen;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* dialog = qobject_cast<QProgressDialog*>(watched);
        if (dialog != nullptr && event->type() == QEvent::Show) {
            Seen s;
            s.label = dialog->labelText();
            s.title = dialog->windowTitle();
            s.minimumWidth = dialog->minimumWidth();
            s.maximumWidth = dialog->maximumWidth();
            s.modal = dialog->isModal();
            s.cancelButton = false;
            for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
                s.cancelButton = s.cancelButton || !b->isHidden();
            }
            s.icon = !dialog->windowIcon().isNull();
            if (auto* tabs = dialog->parentWidget()->findChild<QTabWidget*>("tabWidget")) {
                s.tabsEnabled = tabs->isEnabled();
            }
            seen.push_back(s);
            if (onShow_) {
                onShow_();
            }
        }
        return false;
    }

private:
    std::function<void()> onShow_;
};

} // namespace

using OpeningCaptures = Playback;
using PlayingCaptures = Playback;
using SteppingAndSeeking = Playback;

TEST_F(OpeningCaptures, TheOpenDialogAsksForCapturesAndTheBarIsSetUpForTheFile) {
    {
        const FileDialogAnswer answer(first);
        press("toolButton_Open");
        EXPECT_EQ(answer.caption, "WireSharkCaptureFile");
        EXPECT_EQ(answer.filters, QStringList{"Supported Files (*.pcap *.pcapng)"});
        EXPECT_TRUE(answer.nonNative);
    }
    ASSERT_TRUE(bar().capture());
    EXPECT_EQ(bar().capture()->captureFileName(), first);
    expectLoadedState(frameCount());
    EXPECT_FALSE(player().isRunning());

    // A cancelled dialog changes nothing.
    const FileDialogAnswer cancel{QString()};
    const auto loaded = bar().capture();
    press("toolButton_Open");
    EXPECT_EQ(bar().capture(), loaded);
}

TEST_F(OpeningCaptures, TheProgressDialogShowsWhileALoadTakesLonger) {
    std::atomic<bool> shown{false};
    stallLoadingUntil(shown);
    ProgressDialogWatch watch([&] { shown = true; });
    ASSERT_TRUE(bar().openCapture(first));
    ASSERT_FALSE(watch.seen.empty());
    const ProgressDialogWatch::Seen& s = watch.seen.front();
    EXPECT_EQ(s.label, "Opening file...");
    EXPECT_EQ(s.title, "Please wait a moment");
    EXPECT_EQ(s.minimumWidth, 300);
    EXPECT_EQ(s.maximumWidth, 300);
    // Not modal, so that the window can still be closed; its tabs wait.
    EXPECT_FALSE(s.modal);
    EXPECT_FALSE(s.tabsEnabled);
    EXPECT_FALSE(s.cancelButton);
    EXPECT_TRUE(s.icon);
    EXPECT_TRUE(child<QTabWidget>("tabWidget")->isEnabled());
}

TEST_F(OpeningCaptures, LiveFramesAreNotDrawnWhileALoadRunsAndABadFileLeavesLiveRunning) {
    ASSERT_TRUE(startLive());
    ModalCatcher boxes;
    const QString garbage = dir.filePath("garbage.pcap");
    {
        QFile f(garbage);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a capture\n");
    }
    EXPECT_FALSE(bar().openCapture(garbage));
    EXPECT_TRUE(window.liveReceiverThread().isRunning());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].title, "Tips");
    EXPECT_TRUE(boxes.boxes[0].text.contains("not a capture")) << qPrintable(boxes.boxes[0].text);
    std::uint64_t delivered = window.framesDelivered();
    send(payloadsOf({ring(50)}));
    ASSERT_TRUE(waitForDrawn(delivered, 1));

    // A frame arriving during the load is taken in but not drawn; the
    // receivers stop before the capture takes over.
    std::atomic<bool> go{false};
    stallLoadingUntil(go);
    std::uint64_t drawnDuringLoad = 0;
    bool receivingDuringLoad = false;
    QTimer::singleShot(0, &context, [&] {
        const std::uint64_t drawn = window.drawing().framesDrawn();
        delivered = window.framesDelivered();
        send(payloadsOf({ring(60)}));
        receivingDuringLoad = waitUntil([&] { return window.framesDelivered() > delivered; });
        QTest::qWait(100);
        drawnDuringLoad = window.drawing().framesDrawn() - drawn;
        go = true;
    });
    ASSERT_TRUE(bar().openCapture(first));
    EXPECT_TRUE(receivingDuringLoad);
    EXPECT_EQ(drawnDuringLoad, 0u);
    EXPECT_FALSE(window.liveReceiverThread().isRunning());
    EXPECT_TRUE(waitUntil([&] { return !window.statusReceiverThread().isRunning(); }));
    expectLoadedState(frameCount());
}

TEST_F(OpeningCaptures, ClosingTheWindowWhileACaptureLoadsCancelsTheLoadAndCloses) {
    ASSERT_TRUE(startLive());
    ModalCatcher boxes;
    std::atomic<bool> closed{false};
    stallLoadingUntil(closed);
    bool accepted = false;
    // Closed as the window system closes it, which a modal dialog would
    // refuse.
    ProgressDialogWatch watch([&] {
        QTimer::singleShot(0, &context, [&] {
            accepted = window.windowHandle()->close();
            closed = true;
        });
    });
    EXPECT_FALSE(bar().openCapture(first));
    EXPECT_TRUE(accepted);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(bar().captureLoader().cancelled());
    EXPECT_FALSE(bar().captureLoader().capture());
    EXPECT_FALSE(bar().capture());
    EXPECT_FALSE(window.liveReceiverThread().isRunning());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(OpeningCaptures, BadFilesGiveATipsBoxAndThePreviousCaptureStaysPlayable) {
    ASSERT_TRUE(bar().openCapture(first));
    press("toolButton_Play");
    ASSERT_TRUE(waitUntil([&] { return position() >= 2; }));
    press("toolButton_GoToStart");
    ASSERT_TRUE(waitUntil([&] { return bar().playbackFinished(); }));
    const auto loaded = bar().capture();

    const QString empty = dir.filePath("empty.pcap");
    QFile(empty).open(QIODevice::WriteOnly);
    const QString noData = dir.filePath("nodata.pcap");
    { TestCaptureWriter headerOnly(noData.toStdString(), {}); }
    ModalCatcher boxes;
    for (const QString& bad : {empty, noData, dir.filePath("missing.pcap"), dir.path()}) {
        EXPECT_FALSE(bar().openCapture(bad)) << qPrintable(bad);
    }
    ASSERT_EQ(boxes.boxes.size(), 4u);
    for (const auto& box : boxes.boxes) {
        EXPECT_EQ(box.title, "Tips");
        EXPECT_FALSE(box.text.isEmpty());
    }
    EXPECT_TRUE(boxes.boxes[1].text.contains("no data packet")) << qPrintable(boxes.boxes[1].text);
    EXPECT_EQ(bar().capture(), loaded);
    EXPECT_TRUE(player().isRunning());

    // Play from the stop point as before: frame 0 first.
    const std::size_t mark = sent.size();
    press("toolButton_Play");
    EXPECT_EQ(sentFrame(mark), size(0));
    EXPECT_EQ(sentFrame(mark + 1), size(1));
}

TEST_F(OpeningCaptures, ATruncatedFileLoadsWhatCameBeforeTheCutAndSaysSo) {
    QFile whole(first);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    const QString cut = dir.filePath("cut.pcap");
    QFile out(cut);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    // The last record (the last marker's packet) loses its last 100 bytes.
    out.write(bytes.left(bytes.size() - 100));
    out.close();

    ModalCatcher boxes;
    ASSERT_TRUE(bar().openCapture(cut));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].title, "Tips");
    const int packets = static_cast<int>((bytes.size() - 24) / 1264) - 1;
    EXPECT_TRUE(boxes.boxes[0].text.contains(
        QStringLiteral("truncated at byte %1").arg(24 + packets * 1264)))
        << qPrintable(boxes.boxes[0].text);
    EXPECT_TRUE(boxes.boxes[0].text.contains(QStringLiteral("%1 data packets").arg(packets)));
    // The last marker went with the cut: one frame fewer.
    expectLoadedState(frameCount() - 1);
}

TEST_F(PlayingCaptures, ACaptureShortenedWhilePlayingStopsWithATipsBoxAndTheWindowGoesOn) {
    // More than the player reads ahead: 60 frames of about 8 packets.
    const QString big = dir.filePath("big.pcap");
    writeFrames(big, frameSizes(60, 1300, 0));
    ASSERT_TRUE(bar().openCapture(big));
    ModalCatcher boxes;
    press("toolButton_Play");
    ASSERT_TRUE(waitUntil([&] { return position() >= 1; }));
    ASSERT_TRUE(QFile::resize(big, QFile(big).size() / 2));

    ASSERT_TRUE(waitUntil([&] { return !boxes.boxes.empty() && bar().playbackFinished(); }));
    EXPECT_EQ(boxes.boxes[0].title, "Tips");
    EXPECT_TRUE(boxes.boxes[0].text.contains("was shortened while it was open"))
        << qPrintable(boxes.boxes[0].text);
    EXPECT_LT(position(), 60);

    // Another capture opens and plays.
    ASSERT_TRUE(bar().openCapture(first));
    press("toolButton_Play");
    ASSERT_TRUE(waitUntil([&] { return position() >= 2; }));
}

TEST_F(PlayingCaptures, PlayPausesAndResumesAndTheFirstFrameHoldsThePointsBeforeTheFirstMarker) {
    ASSERT_TRUE(bar().openCapture(first));
    holdPlayerAt(2);
    press("toolButton_Play");
    EXPECT_TRUE(player().isRunning());
    EXPECT_TRUE(shows("toolButton_Play", "Pause"));
    EXPECT_FALSE(bar().paused());
    EXPECT_FALSE(button("toolButton_Open")->isEnabled());
    EXPECT_FALSE(button("toolButton_Lidar")->isEnabled());
    for (const char* name : {"toolButton_GoToStart", "toolButton_GoToEnd", "toolButton_SeekForward",
                             "toolButton_SeekBackward"}) {
        EXPECT_TRUE(button(name)->isEnabled()) << name;
    }
    EXPECT_EQ(sentFrame(0), size(0));
    ASSERT_TRUE(waitUntil([&] { return position() >= 2; }));

    // Second press: pause. The player waits at the gate.
    press("toolButton_Play");
    EXPECT_TRUE(shows("toolButton_Play", "Play"));
    EXPECT_TRUE(bar().paused());
    EXPECT_FALSE(player().gateOpen());
    expectQuiet();
    const int pausedAt = position();
    ASSERT_EQ(sent.size(), static_cast<std::size_t>(pausedAt) + 1);
    expectOnScreen(pausedAt);

    // Third press: on from the next frame.
    press("toolButton_Play");
    EXPECT_TRUE(shows("toolButton_Play", "Pause"));
    EXPECT_EQ(sentFrame(static_cast<std::size_t>(pausedAt) + 1), size(pausedAt + 1));
    EXPECT_EQ(bar().playPressCount(), 3); // counts the presses that played

    // Every frame once, to the end; the stop point resets the bar, and the
    // last frame stays on screen.
    ASSERT_TRUE(waitUntil([&] { return bar().playbackFinished(); }, 30000));
    EXPECT_EQ(sent.size(), sizes.size());
    EXPECT_EQ(window.framesDelivered(), player().framesEmitted());
    expectOnScreen(frameCount() - 1);
    EXPECT_TRUE(button("toolButton_Open")->isEnabled());
    EXPECT_TRUE(button("toolButton_Lidar")->isEnabled());
    EXPECT_FALSE(button("toolButton_SeekForward")->isEnabled());
}

TEST_F(PlayingCaptures, ACaptureThatBeginsMidFrameShowsNoLossWhenPlayedAgain) {
    // Recorded from the middle of a revolution: the first frame holds a
    // third of the points the others do.
    sizes.assign(12, 900);
    sizes[0] = 300;
    writeFrames(first, sizes);
    ASSERT_TRUE(bar().openCapture(first));
    for (std::size_t pass = 1; pass <= 2; ++pass) {
        press("toolButton_Play");
        ASSERT_TRUE(waitUntil([&] { return sent.size() == pass * sizes.size(); }, 20000));
        ASSERT_TRUE(waitUntil([&] { return bar().playbackFinished(); }));
    }
    window.healthPanel().refresh();
    EXPECT_EQ(window.healthPanel().figures().oddFrames, 0u);
}

TEST_F(PlayingCaptures, FivePressesOfSeekForwardCycleTheSpeedsBackToNormal) {
    writeFrames(first, frameSizes(200, 50, 0)); // long enough to press through
    sizes.assign(200, 50);
    ASSERT_TRUE(bar().openCapture(first));
    press("toolButton_Play");
    ASSERT_TRUE(waitUntil([&] { return position() >= 2; }));

    const std::pair<const char*, int> forward[] = {{"Seekforward_2x", 1},
                                                   {"Seekforward_3x", 2},
                                                   {"Seekforward_0.5x", 3},
                                                   {"Seekforward_0.25x", 4},
                                                   {"Seekforward", 0}};
    for (const auto& [icon, speed] : forward) {
        SCOPED_TRACE(icon);
        press("toolButton_SeekForward");
        EXPECT_TRUE(shows("toolButton_SeekForward", icon));
        EXPECT_EQ(player().playback.speedIndex, speed);
        EXPECT_EQ(player().playback.stepDirection, 1);
    }
    press("toolButton_SeekForward");
    EXPECT_EQ(player().playback.speedIndex, 1);

    // The backward cycle is a press behind: its first press plays backward
    // at normal speed, and resets the forward icon.
    const std::pair<const char*, int> backward[] = {
        {"Seekbackward", 0},      {"Seekbackward_2x", 1},    {"Seekbackward_3x", 2},
        {"Seekbackward_0.5x", 3}, {"Seekbackward_0.25x", 4}, {"Seekbackward", 0}};
    for (const auto& [icon, speed] : backward) {
        SCOPED_TRACE(icon);
        press("toolButton_SeekBackward");
        EXPECT_TRUE(shows("toolButton_SeekBackward", icon));
        EXPECT_TRUE(shows("toolButton_SeekForward", "Seekforward"));
        EXPECT_EQ(player().playback.speedIndex, speed);
        EXPECT_EQ(player().playback.stepDirection, -1);
    }

    // Backward play reaches frame 0: a stop point with normal speed and
    // icons, and the next Play runs forward from frame 0.
    ASSERT_TRUE(waitUntil([&] { return bar().playbackFinished(); }, 30000));
    expectOnScreen(0);
    EXPECT_TRUE(shows("toolButton_SeekBackward", "Seekbackward"));
    EXPECT_EQ(player().playback.speedIndex, 0);
    const std::uint64_t before = window.framesDelivered();
    press("toolButton_Play");
    ASSERT_TRUE(waitForFrames(before, 2));
    EXPECT_EQ(position(), static_cast<int>(window.framesDelivered() - before) - 1);
    EXPECT_EQ(player().playback.stepDirection, 1);
}

TEST_F(PlayingCaptures, GoToEndShowsTheLastFrameAndOnePlayPlaysFromFrameZero) {
    ASSERT_TRUE(bar().openCapture(first));
    press("toolButton_Play");
    ASSERT_TRUE(waitUntil([&] { return position() >= 1; }));
    press("toolButton_GoToEnd");
    EXPECT_TRUE(bar().paused());
    EXPECT_TRUE(shows("toolButton_Play", "Play"));
    ASSERT_TRUE(waitUntil([&] { return bar().playbackFinished(); }));
    expectQuiet();
    expectOnScreen(frameCount() - 1);
    // A stop point: nothing to step to.
    EXPECT_FALSE(button("toolButton_SeekForward")->isEnabled());
    EXPECT_TRUE(button("toolButton_Open")->isEnabled());

    const std::size_t mark = sent.size();
    press("toolButton_Play");
    EXPECT_EQ(sentFrame(mark), size(0));
    EXPECT_EQ(sentFrame(mark + 1), size(1));
    EXPECT_FALSE(bar().paused());
    EXPECT_TRUE(shows("toolButton_Play", "Pause"));
}

TEST_F(PlayingCaptures, GoToStartShowsFrameZeroAndPlayRunsFromThere) {
    ASSERT_TRUE(bar().openCapture(first));
    press("toolButton_Play");
    ASSERT_TRUE(waitUntil([&] { return position() >= 3; }));
    press("toolButton_GoToStart");
    ASSERT_TRUE(waitUntil([&] { return bar().playbackFinished(); }));
    expectQuiet();
    expectOnScreen(0);
    EXPECT_TRUE(shows("toolButton_Play", "Play"));
    EXPECT_TRUE(button("toolButton_Open")->isEnabled());
    const std::size_t mark = sent.size();
    press("toolButton_Play");
    EXPECT_EQ(sentFrame(mark), size(0));
    EXPECT_EQ(sentFrame(mark + 1), size(1));
}

TEST_F(SteppingAndSeeking, SingleStepsShowOneFrameEachAndStopAtFrameZero) {
    ASSERT_TRUE(bar().openCapture(first));
    dragSliderTo(4);
    playAndPauseAfter(5);
    const int k = position();
    ASSERT_LT(k, frameCount() - 1);
    expectOnScreen(k);

    std::uint64_t before = window.framesDelivered();
    press("toolButton_SeekForward");
    ASSERT_TRUE(waitForFrames(before, 1));
    expectQuiet();
    EXPECT_EQ(window.framesDelivered(), before + 1);
    expectOnScreen(k + 1);
    EXPECT_TRUE(bar().paused());

    for (int back = k; back >= k - 1; --back) {
        before = window.framesDelivered();
        press("toolButton_SeekBackward");
        ASSERT_TRUE(waitForFrames(before, 1));
        expectQuiet();
        EXPECT_EQ(window.framesDelivered(), before + 1);
        expectOnScreen(back);
    }

    // At frame 0 a backward step only resets the speed.
    dragSliderTo(0);
    expectOnScreen(0);
    player().playback.speedIndex = 3;
    before = window.framesDelivered();
    press("toolButton_SeekBackward");
    expectQuiet();
    EXPECT_EQ(window.framesDelivered(), before);
    EXPECT_EQ(position(), 0);
    EXPECT_EQ(player().playback.speedIndex, 0);
    EXPECT_TRUE(shows("toolButton_SeekBackward", "Seekbackward"));
}

TEST_F(SteppingAndSeeking, ReleasingTheSliderShowsTheFrameItNames) {
    ASSERT_TRUE(bar().openCapture(first));
    playAndPauseAfter(2);

    // Paused: the frame is shown and the player waits behind it; a step
    // goes on from there.
    for (int frame : {5, 0, frameCount() - 1, 1}) {
        dragSliderTo(frame);
        expectOnScreen(frame);
        expectQuiet();
    }
    std::uint64_t before = window.framesDelivered();
    press("toolButton_SeekForward");
    ASSERT_TRUE(waitForFrames(before, 1));
    expectOnScreen(2);

    // Playing: on from the frame chosen.
    holdPlayerAt(8);
    press("toolButton_Play");
    dragSliderTo(7);
    ASSERT_TRUE(waitUntil([&] { return position() >= 8; }));
    press("toolButton_Play");
    const std::vector<std::size_t> sevenThenEight = {size(7), size(8)};
    EXPECT_NE(std::search(sent.begin(), sent.end(), sevenThenEight.begin(), sevenThenEight.end()),
              sent.end());
    expectQuiet();
    expectOnScreen(position());

    // While the slider is held, frames do not move it.
    press("toolButton_Play");
    slider()->setSliderDown(true);
    slider()->setSliderPosition(3);
    ASSERT_TRUE(waitForFrames(window.framesDelivered(), 1));
    EXPECT_EQ(slider()->value(), 3);
    slider()->setSliderDown(false);
    ASSERT_TRUE(waitUntil([&] { return position() >= 4; }));
}

TEST_F(SteppingAndSeeking, ASliderPositionChosenBeforeTheFirstPlayIsWhereItStarts) {
    ASSERT_TRUE(bar().openCapture(first));
    dragSliderTo(4);
    press("toolButton_Play");
    EXPECT_EQ(sentFrame(0), size(4));
}

TEST_F(OpeningCaptures, ASecondCaptureAfterPlayingTheFirstStopsItsPlayerFirst) {
    ASSERT_TRUE(bar().openCapture(first));
    press("toolButton_Play");
    ASSERT_TRUE(waitUntil([&] { return position() >= 2; }));
    press("toolButton_SeekForward"); // 2x
    press("toolButton_GoToStart");
    ASSERT_TRUE(waitUntil([&] { return bar().playbackFinished(); }));

    // The old run must end while the old capture is still alive.
    std::weak_ptr<const CaptureFile> old = bar().capture();
    std::atomic<int> endedWithCaptureAlive{0};
    std::atomic<int> runsEnded{0};
    const QMetaObject::Connection watch = QObject::connect(
        &player(), &QThread::finished, &player(),
        [&] {
            ++runsEnded;
            endedWithCaptureAlive += old.expired() ? 0 : 1;
        },
        Qt::DirectConnection);

    const QString second = dir.filePath("second.pcap");
    const std::vector<int> secondSizes = {1500, 2500, 3500};
    writeFrames(second, secondSizes);
    ASSERT_TRUE(bar().openCapture(second));
    QObject::disconnect(watch);
    EXPECT_EQ(runsEnded.load(), 1);
    EXPECT_EQ(endedWithCaptureAlive.load(), 1);
    EXPECT_TRUE(old.expired());
    EXPECT_FALSE(player().isRunning());
    EXPECT_EQ(bar().capture()->captureFrameCount(), 3);
    EXPECT_TRUE(window.cloudView().viewer()->getCloudActorMap()->empty());
    // Whatever the old run still had on its way leaves the new state alone.
    QTest::qWait(200);
    expectLoadedState(3);
    EXPECT_FALSE(bar().playbackFinished());
    EXPECT_EQ(player().playback.speedIndex, 0);
    EXPECT_TRUE(shows("toolButton_SeekForward", "Seekforward"));

    const std::uint64_t delivered = window.framesDelivered();
    const std::size_t mark = sent.size();
    press("toolButton_Play");
    ASSERT_TRUE(waitUntil([&] { return bar().playbackFinished(); }));
    // Each of the new frames once (the connections are unique), in order.
    EXPECT_EQ(window.framesDelivered() - delivered, 3u);
    EXPECT_EQ(
        std::vector<std::size_t>(sent.begin() + static_cast<std::ptrdiff_t>(mark), sent.end()),
        (std::vector<std::size_t>{1500, 2500, 3500}));
}
