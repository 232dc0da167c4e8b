#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

// The player's pause gate, a binary semaphore between the GUI thread and the
// player: the player waits at it before each packet, and closes it behind
// itself after a single step or at a stop point; the GUI closes it to pause
// and releases it to resume or step. Releasing an open gate leaves it open.
// Closing never waits, so the GUI thread cannot block on a gate the player
// holds.
class PauseGate {
public:
    void close();
    void release();
    bool isOpen() const;
    // A thread waits at the closed gate: it can send nothing until released.
    bool holdsWaiter() const;

    // Waits until the gate is open or `cancel` is set (set it before the
    // release that is to wake the waiter). Leaves the gate as it is.
    void waitUntilOpen(const std::atomic<bool>& cancel);

private:
    mutable std::mutex mutex_;
    std::condition_variable opened_;
    bool open_ = true;
    int waiters_ = 0;
};
