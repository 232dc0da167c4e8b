#include "tools/sim/SimulatorLoop.h"

#include <algorithm>
#include <thread>

void SimulatorLoop::add(SimulatorTask& task, Role role) {
    tasks_.push_back({&task, role});
}

bool SimulatorLoop::mainTasksFinished() const {
    return std::all_of(tasks_.begin(), tasks_.end(),
                       [](const Entry& e) { return e.role != Role::Main || e.task->finished(); });
}

void SimulatorLoop::run(const std::atomic<bool>& stop) {
    // Sleeps are cut short now and then so that a stop request is seen soon.
    constexpr auto longestSleep = std::chrono::milliseconds(50);
    while (!stop && !mainTasksFinished()) {
        const auto now = SimulatorTask::Clock::now();
        auto wake = now + longestSleep;
        for (const Entry& e : tasks_) {
            if (e.task->finished()) {
                continue;
            }
            if (e.task->nextDue() <= now) {
                e.task->run(now);
            }
            if (!e.task->finished()) {
                wake = std::min(wake, e.task->nextDue());
            }
        }
        if (wake > SimulatorTask::Clock::now()) {
            std::this_thread::sleep_until(wake);
        }
    }
}
