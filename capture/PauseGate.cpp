#include "capture/PauseGate.h"

void PauseGate::close() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = false;
}

void PauseGate::release() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
    }
    opened_.notify_all();
}

bool PauseGate::isOpen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return open_;
}

bool PauseGate::holdsWaiter() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return waiters_ > 0 && !open_;
}

void PauseGate::waitUntilOpen(const std::atomic<bool>& cancel) {
    std::unique_lock<std::mutex> lock(mutex_);
    ++waiters_;
    opened_.wait(lock, [&] { return open_ || cancel.load(); });
    --waiters_;
}

int PauseGate::noteRequest() {
    std::lock_guard<std::mutex> lock(mutex_);
    return ++numbered_;
}

void PauseGate::resume() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        resumedAt_ = ++numbered_;
        open_ = true;
    }
    opened_.notify_all();
}

void PauseGate::pause() {
    std::lock_guard<std::mutex> lock(mutex_);
    pausedAt_ = ++numbered_;
    open_ = false;
}

void PauseGate::closeAfterFrame(int request) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (resumedAt_ > request && resumedAt_ > pausedAt_) {
        return; // Play since the request: the player plays on
    }
    open_ = false;
}
