#include "tools/sim/DataStreamTask.h"

#include <utility>

namespace {

SimulatorTask::Clock::duration periodOf(double revolutionsPerSecond) {
    return std::chrono::duration_cast<SimulatorTask::Clock::duration>(
        std::chrono::duration<double>(1.0 / revolutionsPerSecond));
}

} // namespace

DataStreamTask::DataStreamTask(SensorSimulator& simulator, double revolutionsPerSecond, int frames,
                               Send send, Clock::time_point start)
    : simulator_(simulator), period_(periodOf(revolutionsPerSecond)), nextPeriod_(period_),
      frames_(frames), send_(std::move(send)), revolutionStart_(start - period_) {}

void DataStreamTask::setRate(double revolutionsPerSecond) {
    nextPeriod_ = periodOf(revolutionsPerSecond);
}

void DataStreamTask::setMotorRunning(bool running) {
    running_ = running;
}

SimulatorTask::Clock::time_point DataStreamTask::nextDue() const {
    if (next_ >= pending_.size()) {
        // A stopped motor waits for setMotorRunning(true), not for a time.
        return running_ || closing_ ? revolutionStart_ + period_ : Clock::time_point::max();
    }
    // Payload j of n leaves j/n of the way through its revolution.
    return revolutionStart_ +
           period_ * static_cast<Clock::rep>(next_) / static_cast<Clock::rep>(pending_.size());
}

void DataStreamTask::startRevolution(Clock::time_point now) {
    pending_.clear();
    next_ = 0;
    revolutionStart_ += period_;
    period_ = nextPeriod_;
    // After a stall of more than a revolution, start afresh instead of
    // sending the backlog in one burst.
    if (revolutionStart_ + period_ < now) {
        revolutionStart_ = now;
    }
    if (frames_ > 0 && revolutions_ == frames_) {
        simulator_.finish(pending_);
        closing_ = true;
    } else {
        simulator_.nextRevolution(pending_);
        ++revolutions_;
    }
}

void DataStreamTask::run(Clock::time_point now) {
    while (!finished_) {
        if (next_ >= pending_.size()) {
            if (closing_) {
                finished_ = true;
            } else if (running_ && revolutionStart_ + period_ <= now) {
                startRevolution(now);
                continue;
            }
            break;
        }
        if (nextDue() > now) {
            break;
        }
        if (send_(pending_[next_])) {
            ++sent_;
        } else {
            ++failed_;
        }
        ++next_;
    }
}
