#pragma once

#include "tools/sim/SimulatorTask.h"

#include <functional>
#include <utility>

// Calls a function at a fixed interval, the first time one interval after
// the start; a late call does not make the next ones come sooner.
class PeriodicTask : public SimulatorTask {
public:
    PeriodicTask(Clock::duration interval, std::function<void()> action, Clock::time_point start)
        : interval_(interval), action_(std::move(action)), due_(start + interval) {}

    Clock::time_point nextDue() const override { return due_; }
    void run(Clock::time_point now) override {
        action_();
        due_ += interval_;
        if (due_ <= now) {
            due_ = now + interval_;
        }
    }

private:
    Clock::duration interval_;
    std::function<void()> action_;
    Clock::time_point due_;
};
