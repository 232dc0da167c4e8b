#pragma once

#include "tools/sim/SimulatorTask.h"

#include <atomic>
#include <vector>

// Runs tasks when they are due and sleeps in between. The run ends when
// every main task has finished, or when `stop` is set; background tasks
// (reports, side streams) run for as long as the main tasks do.
class SimulatorLoop {
public:
    enum class Role { Main, Background };

    // The task must outlive the loop's run.
    void add(SimulatorTask& task, Role role);

    void run(const std::atomic<bool>& stop);

private:
    bool mainTasksFinished() const;

    struct Entry {
        SimulatorTask* task;
        Role role;
    };
    std::vector<Entry> tasks_;
};
