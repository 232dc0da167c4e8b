#include "tools/sim/DataStreamTask.h"

#include <utility>

DataStreamTask::DataStreamTask(SensorSimulator& simulator, double revolutionsPerSecond, int frames,
                               Send send, Clock::time_point start)
    : simulator_(simulator), period_(std::chrono::duration_cast<Clock::duration>(
                                 std::chrono::duration<double>(1.0 / revolutionsPerSecond))),
      frames_(frames), send_(std::move(send)), revolutionStart_(start - period_) {}

SimulatorTask::Clock::time_point DataStreamTask::nextDue() const {
    if (next_ >= pending_.size()) {
        return revolutionStart_ + period_;
    }
    // Payload j of n leaves j/n of the way through its revolution.
    return revolutionStart_ +
           period_ * static_cast<Clock::rep>(next_) / static_cast<Clock::rep>(pending_.size());
}

void DataStreamTask::startRevolution(Clock::time_point now) {
    pending_.clear();
    next_ = 0;
    revolutionStart_ += period_;
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
            } else if (revolutionStart_ + period_ <= now) {
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
