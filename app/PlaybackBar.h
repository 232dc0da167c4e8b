#pragma once

#include "app/PlaybackPosition.h"
#include "capture/CaptureFile.h"

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
// through its playback variables, its gate, its seek slot (reached through
// the window's signal) and stopping it.
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
        // Asks the player to seek to a packet (the window's
        // sendProgressChangeValue).
        std::function<void(int packet)> seek;
        // A warning box titled "Tips".
        std::function<void(const QString& text)> showTips;
    };

    PlaybackBar(Ui::manwindowClass& ui, ReadLiveOffData& player, PlaybackPosition& position,
                WindowHooks hooks, QWidget* window);

    // Connects the buttons to the handlers below.
    void wireButtons();

    // Open: asks for a file, then openCapture().
    void open();
    // Loads `path`; on success the previous capture (and its player) makes
    // way for it. On failure the text goes to standard output and a "Tips"
    // box, and everything stays as it was.
    bool openCapture(const QString& path);
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
    // The packet a player about to start should seek to first: the frame
    // chosen with the slider before the first Play.
    std::optional<int> seekBeforeStart() const;

    bool paused() const { return paused_; }
    int playPressCount() const { return playPressCount_; }
    bool playbackFinished() const { return playbackFinished_; }
    int forwardSpeedStep() const { return forwardSpeedStep_; }
    int backwardSpeedStep() const { return backwardSpeedStep_; }

private:
    void showLoaded();
    // The packet holding the marker that opens `frame`; packet 0 for frame
    // 0, which no marker opens.
    int packetOfFrame(int frame) const;
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
    bool paused_ = false;
    int playPressCount_ = 1;
    bool offlineMode_ = false;
    bool playbackFinished_ = false;
    bool forwardMode_ = false;
    int forwardSpeedStep_ = 1;
    int backwardSpeedStep_ = 1;
    int pendingFrame_ = 0;
};
