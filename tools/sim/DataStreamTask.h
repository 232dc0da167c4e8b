#pragma once

#include "tools/sim/SensorSimulator.h"
#include "tools/sim/SimulatorTask.h"

#include <cstdint>
#include <functional>
#include <vector>

// The sensor's data stream: revolution after revolution at the rotation
// rate, each revolution's payloads spread evenly over its period. With a
// frame count, the stream ends after that many revolutions and a closing
// marker, so that a receiver sees exactly that many frames. The rate and the
// motor can change while it runs; both take effect at the next revolution.
class DataStreamTask : public SimulatorTask {
public:
    using Send = std::function<bool(const SensorSimulator::Payload&)>;

    // `frames` 0 streams until stopped.
    DataStreamTask(SensorSimulator& simulator, double revolutionsPerSecond, int frames, Send send,
                   Clock::time_point start);

    Clock::time_point nextDue() const override;
    void run(Clock::time_point now) override;
    bool finished() const override { return finished_; }

    // The next revolutions take 1 / `revolutionsPerSecond` each.
    void setRate(double revolutionsPerSecond);
    // A stopped motor finishes its revolution and then sends nothing until
    // it runs again; the first revolution after that starts at once.
    void setMotorRunning(bool running);
    bool motorRunning() const { return running_; }

    std::uint64_t sent() const { return sent_; }
    std::uint64_t failed() const { return failed_; }
    int revolutions() const { return revolutions_; }

private:
    void startRevolution(Clock::time_point now);

    SensorSimulator& simulator_;
    Clock::duration period_;
    Clock::duration nextPeriod_;
    bool running_ = true;
    int frames_;
    Send send_;
    std::vector<SensorSimulator::Payload> pending_;
    std::size_t next_ = 0;
    Clock::time_point revolutionStart_;
    int revolutions_ = 0;
    bool closing_ = false;
    bool finished_ = false;
    std::uint64_t sent_ = 0;
    std::uint64_t failed_ = 0;
};
