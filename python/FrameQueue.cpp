#include "python/FrameQueue.h"

FrameQueue::FrameQueue(std::size_t capacity) : capacity_(capacity) {}

bool FrameQueue::push(ConvertedFrame frame) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return frames_.size() < capacity_ || closed_; });
    if (closed_ || finished_) {
        return false;
    }
    frames_.push_back(std::move(frame));
    lastPush_ = Clock::now();
    changed_.notify_all();
    return true;
}

void FrameQueue::finish(std::string error, std::string notice) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (finished_) {
        return;
    }
    finished_ = true;
    error_ = std::move(error);
    notice_ = std::move(notice);
    changed_.notify_all();
}

FrameQueue::Pop FrameQueue::pop(ConvertedFrame& frame, std::chrono::milliseconds wait) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, wait, [this] { return !frames_.empty() || finished_ || closed_; });
    if (!frames_.empty() && !closed_) {
        frame = std::move(frames_.front());
        frames_.pop_front();
        changed_.notify_all();
        return Pop::Frame;
    }
    return finished_ || closed_ ? Pop::Finished : Pop::Waiting;
}

void FrameQueue::close() {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    frames_.clear();
    changed_.notify_all();
}

bool FrameQueue::finished() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return finished_;
}

std::string FrameQueue::error() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return error_;
}

std::string FrameQueue::notice() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return notice_;
}

FrameQueue::Clock::time_point FrameQueue::lastPush() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastPush_;
}
