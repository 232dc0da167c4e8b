#pragma once

#include "app/PlaybackPosition.h"
#include "capture/CaptureFile.h"
#include "capture/CaptureLoader.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace Ui {
class manwindowClass;
}
class QToolButton;
class QWidget;
class ReadLiveOffData;

// The playback bar of the "Offline" tab: opening a capture, starting,
// pausing and single-stepping the capture player, the speed cycles of the
// two seek buttons, going to the start or the end, the frame slider, and the
// player's stop points. Lives on the GUI thread and steers the player only
// through its playback variables, its gate, its frame requests and stopping
// it. The position (slider, spin box, currentFrame) is the number of the
// capture frame on screen, as the player numbers the frames it sends.
class PlaybackBar {
public:
    // What the bar asks of the window.
    struct WindowHooks {
        // The window's start routine; with offlineMode() set it starts the
        // player on capture().
        std::function<void()> startReceiving;
        // Ends live reception if it runs.
        std::function<void()> stopLiveReceivers;
        // Takes in what the stopped player still had on its way and empties
        // the view.
        std::function<void()> clearView;
        // Stops drawing frames (true) while a capture loads, or draws again.
        std::function<void(bool hold)> holdDrawing;
        // A warning box titled "Tips".
        std::function<void(const QString& text)> showTips;
        // Gives the 3D view the keyboard focus when playing starts.
        std::function<void()> focusView;
        // A capture was loaded, or another of its sensors chosen.
        std::function<void()> captureShown;
    };

    PlaybackBar(Ui::manwindowClass& ui, ReadLiveOffData& player, PlaybackPosition& position,
                WindowHooks hooks, QWidget* window);

    // Connects the buttons to the handlers below.
    void wireButtons();

    // Open: asks for a file, then openCapture().
    void open();
    // Loads `path` on a thread of its own while the window stays responsive
    // and draws nothing; on success live reception ends, the previous
    // capture (and its player) makes way for it, and the "Offline" tab shows
    // it with Play in focus and the status bar saying what was loaded. On
    // failure the text goes to standard output and a "Tips" box, and
    // everything carries on as it was.
    bool openCapture(const QString& path);
    // The window closes: a running load is cancelled and its capture dropped.
    void cancelLoading();
    CaptureLoader& captureLoader() { return loader_; }
    void playOrPause();
    void seekForward();
    void seekBackward();
    void goToStart();
    void goToEnd();
    void progressMoved(int value);
    void progressReleased();
    // A stop point of the player (the window's FinshorStart).
    void finishOrStart(bool finished);

    // Playback was started: the start routine starts the player.
    bool offlineMode() const { return offlineMode_; }
    const std::shared_ptr<const CaptureFile>& capture() const { return capture_; }

    // A capture holding several sensors plays one of them (an index into
    // its sensors()), the first heard unless another is chosen here; frame
    // numbers, the slider and the frame count are that sensor's. Choosing
    // stops the player and shows the capture as just loaded. False for an
    // index the capture does not have, or while a capture loads.
    bool playSensor(int sensor);
    int sensorPlayed() const { return sensor_; }
    // The frame a player about to start should begin with: the one chosen
    // with the slider before the first Play.
    std::optional<int> frameBeforeStart() const;

    bool paused() const { return paused_; }
    int playPressCount() const { return playPressCount_; }
    bool playbackFinished() const { return playbackFinished_; }
    int forwardSpeedStep() const { return forwardSpeedStep_; }
    int backwardSpeedStep() const { return backwardSpeedStep_; }

private:
    void showLoaded();
    const CaptureSensor& played() const { return capture_->sensor(sensor_); }
    void announceLoaded();
    void showPosition(int frame);
    void setSeekButtonsEnabled(bool enabled);
    void showNormalSpeedIcons();
    void singleStep(int direction);

    Ui::manwindowClass& ui_;
    ReadLiveOffData& player_;
    PlaybackPosition& position_;
    WindowHooks hooks_;
    QWidget* window_;

    std::shared_ptr<const CaptureFile> capture_;
    int sensor_ = 0;
    CaptureLoader loader_;
    bool closing_ = false; // the window closed while a capture loaded
    bool paused_ = false;
    int playPressCount_ = 1;
    bool offlineMode_ = false;
    bool playbackFinished_ = false;
    bool forwardMode_ = false;
    int forwardSpeedStep_ = 1;
    int backwardSpeedStep_ = 1;
    int pendingFrame_ = 0;
};
