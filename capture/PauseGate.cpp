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
