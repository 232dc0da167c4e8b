#pragma once

#include <chrono>

// One stream of work of the simulator's main loop: the data stream, the
// once-a-second report, and whatever else the simulated sensor does on a
// schedule. The loop calls run() when nextDue() has come.
class SimulatorTask {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~SimulatorTask() = default;

    virtual Clock::time_point nextDue() const = 0;
    virtual void run(Clock::time_point now) = 0;
    // Tasks with an end (a fixed number of frames) say so here.
    virtual bool finished() const { return false; }
};
