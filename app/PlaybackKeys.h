#pragma once

#include <QObject>
#include <functional>

class QAbstractButton;
class QKeyEvent;
class QWidget;

// Playback from the keyboard while the window is active: Space plays or
// pauses, Left and Right step one frame back or forward (pausing first when
// playing), Home and End go to the first or the last frame. Each key presses
// its button and does nothing else: while the button is disabled the key
// does nothing at all (a focused slider or button does not take it either).
// Keys stay with a focused widget that uses them itself (text fields, spin
// boxes, combo boxes, lists, the tab bar); the 3D view has no bindings of
// its own for them.
class PlaybackKeys : public QObject {
    Q_OBJECT
public:
    struct Buttons {
        QAbstractButton* play = nullptr;
        QAbstractButton* stepBackward = nullptr;
        QAbstractButton* stepForward = nullptr;
        QAbstractButton* goToStart = nullptr;
        QAbstractButton* goToEnd = nullptr;
    };

    // `playing` tells whether the Play button stands for Pause now.
    PlaybackKeys(QWidget& window, Buttons buttons, std::function<bool()> playing);
    ~PlaybackKeys() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // True when `focus` uses these keys itself.
    static bool keepsKeys(const QWidget* focus);
    // Handles a key for the window; false when it is not a playback key
    // (the key then goes on to the focused widget).
    bool press(const QKeyEvent& key);
    static void click(QAbstractButton* button);

    QWidget& window_;
    Buttons buttons_;
    std::function<bool()> playing_;
};
