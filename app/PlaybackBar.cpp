#include "app/PlaybackBar.h"

#include "app/FormText.h"
#include "app/StatusNotice.h"
#include "capture/ReadLiveOffData.h"
#include "platform/ImagePath.h"
#include "platform/LastFolders.h"
#include "ui_manwindow.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressDialog>
#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

QIcon imageIcon(const char* name) {
    return ImagePath::icon(QStringLiteral("./Resources/images/%1.png").arg(QLatin1String(name)));
}

// One press of a seek button while playing: the icon it shows and the
// speed it sets, by the speed step before the press (1..5). The backward
// cycle is one press behind the forward one.
struct SpeedRow {
    const char* icon;
    int speedIndex;
};
constexpr SpeedRow kForwardCycle[] = {{"Seekforward_2x", 1},
                                      {"Seekforward_3x", 2},
                                      {"Seekforward_0.5x", 3},
                                      {"Seekforward_0.25x", 4},
                                      {"Seekforward", 0}};
constexpr SpeedRow kBackwardCycle[] = {{"Seekbackward", 0},
                                       {"Seekbackward_2x", 1},
                                       {"Seekbackward_3x", 2},
                                       {"Seekbackward_0.5x", 3},
                                       {"Seekbackward_0.25x", 4}};
constexpr int kSpeedSteps = 5;

// Progress of the one indexing pass, in thousandths of the file.
constexpr int kProgressSteps = 1000;

void printLine(const QString& text) {
    std::printf("%s\n", text.toLocal8Bit().constData());
    std::fflush(stdout);
}

} // namespace

PlaybackBar::PlaybackBar(Ui::manwindowClass& ui, ReadLiveOffData& player,
                         PlaybackPosition& position, WindowHooks hooks, QWidget* window)
    : ui_(ui), player_(player), position_(position), hooks_(std::move(hooks)), window_(window) {
    // No capture, no frames.
    ui_.Slider_Frame->setRange(0, 0);
    ui_.Spbox_Frame->setRange(0, 0);
    // Queued like the frame that follows it, so each number meets its frame.
    QObject::connect(&player_, &ReadLiveOffData::SendFrameNumber, window_,
                     [this](int frame) { position_.arrivingFrame = frame; });
}

void PlaybackBar::wireButtons() {
    const auto handle = [this](QToolButton* button, void (PlaybackBar::*handler)()) {
        QObject::connect(button, &QToolButton::clicked, window_,
                         [this, handler] { (this->*handler)(); });
    };
    handle(ui_.toolButton_Open, &PlaybackBar::open);
    handle(ui_.toolButton_Play, &PlaybackBar::playOrPause);
    handle(ui_.toolButton_SeekForward, &PlaybackBar::seekForward);
    handle(ui_.toolButton_SeekBackward, &PlaybackBar::seekBackward);
    handle(ui_.toolButton_GoToStart, &PlaybackBar::goToStart);
    handle(ui_.toolButton_GoToEnd, &PlaybackBar::goToEnd);
}

void PlaybackBar::open() {
    const QString path =
        QFileDialog::getOpenFileName(window_, trForm("WireSharkCaptureFile"),
                                     LastFolders::folder(LastFolders::Dialog::OpenCapture),
                                     QStringLiteral("Supported Files (*.pcap *.pcapng)"), nullptr,
                                     QFileDialog::DontUseNativeDialog);
    QCoreApplication::processEvents();
    if (path.isEmpty()) {
        return;
    }
    LastFolders::remember(LastFolders::Dialog::OpenCapture, path);
    openCapture(path);
}

bool PlaybackBar::openCapture(const QString& path) {
    if (loader_.isRunning()) {
        return false;
    }
    // Drawing would compete with the loading for the processor; live
    // reception goes on, so that a bad file leaves it as it was.
    hooks_.holdDrawing(true);
    ui_.tabWidget->setEnabled(false);
    {
        // Not modal, so that closing the window stays possible (and cancels
        // the load); the tabs are disabled meanwhile instead.
        QProgressDialog progress(trForm("Opening file..."), QString(), 0, kProgressSteps, window_);
        progress.setWindowTitle(trForm("Please wait a moment"));
        progress.setFixedWidth(300);
        progress.setMinimumDuration(5);
        progress.setWindowIcon(ImagePath::icon(QStringLiteral("./Resources/image/corvane.png")));
        progress.setValue(0);
        QEventLoop loading;
        QObject::connect(&loader_, &CaptureLoader::SendProgress, &progress,
                         [&progress](quint64 done, quint64 total) {
                             progress.setValue(
                                 total == 0 ? kProgressSteps
                                            : static_cast<int>(done * kProgressSteps / total));
                         });
        QObject::connect(&loader_, &QThread::finished, &loading, &QEventLoop::quit);
        loader_.load(path);
        loading.exec();
        loader_.wait();
    }
    ui_.tabWidget->setEnabled(true);
    if (std::exchange(closing_, false)) {
        return false;
    }
    std::shared_ptr<const CaptureFile> loaded = loader_.capture();
    if (!loaded) {
        hooks_.holdDrawing(false);
        printLine(loader_.errorText());
        hooks_.showTips(loader_.errorText());
        return false;
    }

    hooks_.stopLiveReceivers();
    if (playPressCount_ > 1 || player_.isRunning()) {
        // The player reads the old capture's mapping: it ends first.
        player_.stopAndWait();
        hooks_.clearView();
        playPressCount_ = 1;
    }
    capture_ = std::move(loaded);
    sensor_ = 0;
    showLoaded();
    announceLoaded();
    hooks_.holdDrawing(false);
    if (hooks_.captureShown) {
        hooks_.captureShown();
    }

    const QString notice = capture_->truncationNotice();
    if (!notice.isEmpty()) {
        printLine(notice);
        hooks_.showTips(notice);
    }
    return true;
}

bool PlaybackBar::playSensor(int sensor) {
    if (!capture_ || loader_.isRunning() || sensor < 0 || sensor >= capture_->sensorCount()) {
        return false;
    }
    if (sensor == sensor_) {
        return true;
    }
    if (playPressCount_ > 1 || player_.isRunning()) {
        player_.stopAndWait();
        hooks_.clearView();
        playPressCount_ = 1;
    }
    sensor_ = sensor;
    showLoaded();
    if (hooks_.captureShown) {
        hooks_.captureShown();
    }
    return true;
}

void PlaybackBar::cancelLoading() {
    if (loader_.isRunning()) {
        closing_ = true;
        loader_.cancel();
    }
}

void PlaybackBar::showLoaded() {
    ui_.toolButton_Play->setIcon(imageIcon("Play"));
    paused_ = true;
    ui_.toolButton_Play->setEnabled(true);
    ui_.toolButton_GoToStart->setEnabled(false);
    ui_.toolButton_GoToEnd->setEnabled(false);
    setSeekButtonsEnabled(false);
    ui_.toolButton_Lidar->setEnabled(false);
    ui_.Spbox_Frame->setEnabled(true);
    ui_.Slider_Frame->setEnabled(true);
    const int lastFrame = played().frameCount() - 1;
    ui_.Spbox_Frame->setRange(0, lastFrame);
    ui_.Slider_Frame->setRange(0, lastFrame);
    showPosition(0);

    // Nothing of the previous capture's playback carries over: the speed
    // shown is the speed played.
    offlineMode_ = false;
    playbackFinished_ = false;
    forwardMode_ = false;
    forwardSpeedStep_ = 1;
    backwardSpeedStep_ = 1;
    showNormalSpeedIcons();
    position_.sliderDragging = false;
    position_.arrivingFrame.reset();
    player_.playback.speedIndex = 0;
    player_.playback.pauseAfterFrame = 0;
    player_.playback.restartRequested = 0;
    player_.playback.stepDirection = 1;
}

void PlaybackBar::announceLoaded() {
    // A capture given on the command line or dropped on the window may find
    // another tab in front.
    ui_.tabWidget->setCurrentWidget(ui_.tab);
    ui_.toolButton_Play->setFocus(Qt::OtherFocusReason);
    const QString name = QFileInfo(capture_->captureFileName()).fileName();
    // Whole frames, as lidar-export counts them: frame 0 is what came before
    // the first marker, the tail of a revolution or nothing.
    const int frames = std::max(played().frameCount() - 1, 0);
    StatusNotice::show(
        *ui_.statusBar,
        frames == 1 ? trForm("%1: 1 frame, ready to play").arg(name)
                    : trForm("%1: %2 frames, ready to play").arg(name, QString::number(frames)));
}

void PlaybackBar::playOrPause() {
    setSeekButtonsEnabled(true);
    ui_.toolButton_GoToStart->setEnabled(true);
    ui_.toolButton_GoToEnd->setEnabled(true);
    ui_.toolButton_Open->setEnabled(false);

    if (!paused_) {
        ui_.toolButton_Play->setIcon(imageIcon("Play"));
        paused_ = true;
        if (playPressCount_ > 1) {
            player_.closeGate();
        }
        return;
    }

    ui_.toolButton_Play->setIcon(imageIcon("Pause"));
    paused_ = false;
    offlineMode_ = true;
    player_.playback.restartRequested = 0;
    player_.playback.pauseAfterFrame = 0;
    if (playPressCount_ == 1) {
        player_.playback.stepDirection = 1;
        hooks_.startReceiving();
        forwardSpeedStep_ = 1;
        backwardSpeedStep_ = 1;
        playbackFinished_ = false;
    } else {
        // From a stop point the player plays forward from frame 0.
        playbackFinished_ = false;
        player_.releaseGate();
    }
    ++playPressCount_;
    hooks_.focusView();
}

void PlaybackBar::seekForward() {
    if (playbackFinished_) {
        ui_.toolButton_SeekForward->setIcon(imageIcon("Seekforward"));
        forwardSpeedStep_ = 1;
        player_.playback.speedIndex = 0;
        return;
    }
    if (!forwardMode_) {
        ui_.toolButton_SeekBackward->setIcon(imageIcon("Seekbackward"));
        forwardSpeedStep_ = 1;
        backwardSpeedStep_ = 1;
        player_.playback.speedIndex = 0;
        player_.playback.stepDirection = 1;
    }
    forwardMode_ = true;

    if (!paused_) {
        const SpeedRow& row = kForwardCycle[forwardSpeedStep_ - 1];
        ui_.toolButton_SeekForward->setIcon(imageIcon(row.icon));
        forwardSpeedStep_ = forwardSpeedStep_ % kSpeedSteps + 1;
        player_.playback.speedIndex = row.speedIndex;
        player_.playback.stepDirection = 1;
        return;
    }
    if (position_.currentFrame >= played().frameCount() - 1) {
        player_.playback.pauseAfterFrame = 0;
        return;
    }
    singleStep(+1);
}

void PlaybackBar::seekBackward() {
    if (position_.currentFrame == 0 || playbackFinished_) {
        ui_.toolButton_SeekBackward->setIcon(imageIcon("Seekbackward"));
        backwardSpeedStep_ = 1;
        player_.playback.speedIndex = 0;
        return;
    }
    if (forwardMode_) {
        ui_.toolButton_SeekForward->setIcon(imageIcon("Seekforward"));
        player_.playback.stepDirection = -1;
        forwardSpeedStep_ = 1;
        backwardSpeedStep_ = 1;
        player_.playback.speedIndex = 0;
    }
    forwardMode_ = false;

    if (!paused_) {
        const SpeedRow& row = kBackwardCycle[backwardSpeedStep_ - 1];
        ui_.toolButton_SeekBackward->setIcon(imageIcon(row.icon));
        backwardSpeedStep_ = backwardSpeedStep_ % kSpeedSteps + 1;
        player_.playback.speedIndex = row.speedIndex;
        player_.playback.stepDirection = -1;
        return;
    }
    singleStep(-1);
}

void PlaybackBar::singleStep(int direction) {
    showNormalSpeedIcons();
    forwardSpeedStep_ = 1;
    backwardSpeedStep_ = 1;
    player_.playback.speedIndex = 0;
    player_.playback.stepDirection = direction;
    player_.playback.pauseAfterFrame = 1;
    player_.releaseGate();
}

// Go To Start and Go To End show the first or the last frame and leave the
// player at a stop point behind it; the position follows the frame.
void PlaybackBar::goToStart() {
    ui_.toolButton_Play->setIcon(imageIcon("Play"));
    player_.playback.restartRequested = 1;
    if (paused_) {
        player_.releaseGate();
    }
    paused_ = true;
}

void PlaybackBar::goToEnd() {
    ui_.toolButton_Play->setIcon(imageIcon("Play"));
    paused_ = true;
    player_.showFrame(played().frameCount() - 1, ReadLiveOffData::AfterFrame::StopPoint);
}

void PlaybackBar::progressMoved(int value) {
    position_.sliderDragging = true;
    pendingFrame_ = value;
}

void PlaybackBar::progressReleased() {
    if (!position_.sliderDragging) {
        // Pressed and let go without a move: the slider's own position.
        pendingFrame_ = ui_.Slider_Frame->value();
    }
    position_.sliderDragging = false;
    if (!capture_) {
        return;
    }
    if (player_.isRunning()) {
        // The position follows once the frame is on screen.
        player_.showFrame(pendingFrame_, paused_ ? ReadLiveOffData::AfterFrame::Pause
                                                 : ReadLiveOffData::AfterFrame::PlayOn);
    } else {
        // Before the first Play: where the player starts (frameBeforeStart()).
        showPosition(pendingFrame_);
    }
}

std::optional<int> PlaybackBar::frameBeforeStart() const {
    if (!capture_ || position_.currentFrame == 0) {
        return std::nullopt;
    }
    return position_.currentFrame;
}

void PlaybackBar::finishOrStart(bool finished) {
    // The position stays with the frame on screen: the last one at the end,
    // frame 0 at the start.
    if (finished) {
        playbackFinished_ = true;
        paused_ = true;
        player_.playback.speedIndex = 0;
        // The icons show normal speed: the cycles start there again.
        forwardSpeedStep_ = 1;
        backwardSpeedStep_ = 1;
        setSeekButtonsEnabled(false);
        ui_.toolButton_GoToStart->setEnabled(false);
        ui_.toolButton_GoToEnd->setEnabled(false);
        ui_.toolButton_Play->setIcon(imageIcon("Play"));
        showNormalSpeedIcons();
        ui_.toolButton_Open->setEnabled(true);
    }
    offlineMode_ = false;
    ui_.toolButton_Lidar->setEnabled(true);
}

void PlaybackBar::showPosition(int frame) {
    position_.currentFrame = frame;
    ui_.Spbox_Frame->setValue(frame);
    ui_.Slider_Frame->setValue(frame);
}

void PlaybackBar::setSeekButtonsEnabled(bool enabled) {
    ui_.toolButton_SeekForward->setEnabled(enabled);
    ui_.toolButton_SeekBackward->setEnabled(enabled);
}

void PlaybackBar::showNormalSpeedIcons() {
    ui_.toolButton_SeekForward->setIcon(imageIcon("Seekforward"));
    ui_.toolButton_SeekBackward->setIcon(imageIcon("Seekbackward"));
}
