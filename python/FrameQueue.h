#pragma once

#include "python/ConvertedFrame.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>

// Hands frames from a reading thread to Python, a few at a time: the reader
// waits while the queue is full, so memory stays within a few frames
// however slowly Python takes them. The reader ends with finish(), with a
// failure or a notice for the user that Python takes after the frames
// before it. Python's side gives up with close(), which frees the reader.
class FrameQueue {
public:
    using Clock = std::chrono::steady_clock;
    enum class Pop { Frame, Finished, Waiting };

    explicit FrameQueue(std::size_t capacity);

    // Reader: queues a frame, waiting for room. False (the frame dropped)
    // once Python has closed the queue.
    bool push(ConvertedFrame frame);
    // Reader: no frames follow. `error` ends the frames with a failure,
    // `notice` with a warning; the first call counts.
    void finish(std::string error = {}, std::string notice = {});
    bool closed() const { return closed_.load(); }

    // Python: takes the next frame, waiting up to `wait` for it. Finished
    // once the queued frames are taken and the reader has finished.
    Pop pop(ConvertedFrame& frame, std::chrono::milliseconds wait);
    // Python: takes no more frames; what is queued is dropped.
    void close();
    bool finished() const;
    std::string error() const;
    std::string notice() const;
    // When the last frame was queued, or the queue made if none was.
    Clock::time_point lastPush() const;

private:
    const std::size_t capacity_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<ConvertedFrame> frames_;
    bool finished_ = false;
    std::atomic<bool> closed_{false};
    std::string error_;
    std::string notice_;
    Clock::time_point lastPush_ = Clock::now();
};
