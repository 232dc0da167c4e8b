#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>

// Decides when the newest frame is drawn. A frame asks for a draw, and the
// draw runs after the queued events, so when frames arrive faster than they
// can be drawn only the newest is drawn and the queue holds no more frames
// than arrive during one draw. After a draw of d ms the next one waits at
// least d ms more, so drawing takes at most half of the GUI thread's time
// and input is handled between draws whatever the frame rate.
class DrawCoalescer : public QObject {
    Q_OBJECT
public:
    explicit DrawCoalescer(std::function<void()> draw, QObject* parent = nullptr);

    void frameArrived();

    // While held, frames are counted but nothing is drawn (a capture is
    // loading); resume() draws the newest frame that arrived meanwhile.
    void hold();
    void resume();
    bool held() const { return held_; }

    std::uint64_t framesArrived() const { return arrived_; }
    std::uint64_t framesDrawn() const { return drawn_; }
    // Frames that were replaced by a newer one before they were drawn, since
    // the start.
    std::uint64_t drawsSkipped() const { return skipped_; }
    bool drawPending() const { return scheduled_ || (held_ && heldFrame_); }

private slots:
    void drawNow();

private:
    void schedule();

    std::function<void()> draw_;
    bool scheduled_ = false; // a draw is posted or waiting for its time
    bool held_ = false;
    bool heldFrame_ = false; // a frame arrived while held
    std::uint64_t arrived_ = 0;
    std::uint64_t drawn_ = 0;
    std::uint64_t skipped_ = 0;
    QElapsedTimer clock_;
    qint64 nextDrawAtNs_ = 0; // nanoseconds on clock_
    QTimer breather_;
};
