#pragma once

#include <QString>
#include <functional>

namespace Ui {
class manwindowClass;
}
class About;
class ACWPSetMuch;
class GetMuch;
class GetSet;
class InteractionMuchSet;
class PlaybackBar;
class QObject;
class ReadLiveOffData;
struct PlaybackPosition;

// Starting and stopping the live receivers and the capture player, and the
// connections that bring what they produce to the window and to the device
// windows. "Lidar" and the first Play of an opened capture both come here.
class ReceiverControl {
public:
    // Who takes what the workers send.
    struct Peers {
        // Takes frames (CalculateMuch), errors (showErrorMessage) and the
        // player's stop points (FinshorStart); its sendProgressChangeValue
        // reaches the player.
        QObject& window;
        InteractionMuchSet& laserConfig;
        ACWPSetMuch& advanced;
        About& about;
    };
    struct Workers {
        GetMuch& live;
        GetSet& status;
        ReadLiveOffData& player;
    };
    struct WindowHooks {
        // Every start, before any worker runs: a fresh data list, the first
        // frame fitted into the view, a new source for the health figures.
        std::function<void()> starting;
        // Every start, once the workers run.
        std::function<void()> started;
        // A warning box titled "Tips".
        std::function<void(const QString& text)> showTips;
        // Gives the 3D view the keyboard focus.
        std::function<void()> focusView;
    };

    ReceiverControl(Ui::manwindowClass& ui, Workers workers, Peers peers, PlaybackBar& playback,
                    PlaybackPosition& position, WindowHooks hooks);

    // The start routine: the receivers restart on the port fields, or, once
    // playback was started, the player plays the opened capture. A port
    // text that is not a port changes nothing, running receivers included.
    void start();
    // Ends live reception, if it runs, before a capture takes over.
    void stopLive();
    // Stops every worker and waits for it (the window closes).
    void stopAll();
    // Live reception was started last (not the player), and not stopped.
    bool liveRunning() const { return liveRunning_; }

private:
    bool portFieldsAccepted();
    void startLive();
    void startPlayer();

    Ui::manwindowClass& ui_;
    Workers workers_;
    Peers peers_;
    PlaybackBar& playback_;
    PlaybackPosition& position_;
    WindowHooks hooks_;
    bool liveRunning_ = false;
};
