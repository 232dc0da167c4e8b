#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <cstdint>
#include <deque>
#include <functional>

// Draws at most once for all the frames that are already queued: a frame
// asks for a draw, and the draw runs after the queued events, so when frames
// arrive faster than they can be drawn only the newest is drawn. The queue
// then holds no more frames than arrive during one draw.
class DrawCoalescer : public QObject {
    Q_OBJECT
public:
    explicit DrawCoalescer(std::function<void()> draw, QObject* parent = nullptr);

    void frameArrived();

    std::uint64_t framesArrived() const { return arrived_; }
    std::uint64_t framesDrawn() const { return drawn_; }
    // Frames that were replaced by a newer one before they were drawn.
    std::uint64_t drawsSkipped() const { return skipped_; }
    bool drawPending() const { return posted_; }

    // Draws during the last second.
    double drawsPerSecond();

private slots:
    void drawNow();

private:
    void forgetOldDraws(qint64 now);

    std::function<void()> draw_;
    bool posted_ = false;
    std::uint64_t arrived_ = 0;
    std::uint64_t drawn_ = 0;
    std::uint64_t skipped_ = 0;
    QElapsedTimer clock_;
    std::deque<qint64> recentDraws_; // milliseconds on clock_
};
