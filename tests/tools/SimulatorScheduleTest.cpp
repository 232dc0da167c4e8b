#include "lidar/FrameCutter.h"
#include "tools/sim/DataStreamTask.h"
#include "tools/sim/PeriodicTask.h"
#include "tools/sim/SimulatorLoop.h"

#include <gtest/gtest.h>

using Clock = SimulatorTask::Clock;
using std::chrono::microseconds;
using std::chrono::milliseconds;

namespace {

// Drives a data stream through made-up time and records when it sent what.
struct StreamProbe {
    SensorSimulator simulator{SyntheticScene::street(), 500}; // 5-degree steps
    std::vector<Clock::time_point> times;
    std::vector<SensorSimulator::Payload> payloads;
    Clock::time_point now{};
    bool refuse = false;

    DataStreamTask stream(int frames, double hz = 10) {
        return DataStreamTask(
            simulator, hz, frames,
            [this](const SensorSimulator::Payload& p) {
                if (refuse) {
                    return false;
                }
                times.push_back(now);
                payloads.push_back(p);
                return true;
            },
            now);
    }

    // Steps time forward in small ticks, running the task when it is due.
    void advance(DataStreamTask& task, Clock::duration span, Clock::duration tick) {
        const auto end = now + span;
        for (; now < end && !task.finished(); now += tick) {
            if (task.nextDue() <= now) {
                task.run(now);
            }
        }
    }
};

std::size_t framesIn(const std::vector<SensorSimulator::Payload>& payloads) {
    FrameCutter cutter;
    std::size_t frames = 0;
    for (const auto& p : payloads) {
        cutter.feed(p.data(), [&](const MuchLidarData&) { ++frames; });
    }
    return frames;
}

} // namespace

TEST(DataStreamTask, SpreadsEachRevolutionEvenlyOverItsPeriod) {
    StreamProbe probe;
    DataStreamTask task = probe.stream(0);
    const auto start = probe.now;
    probe.advance(task, milliseconds(300), microseconds(10));
    ASSERT_GT(probe.times.size(), 20u);
    EXPECT_EQ(probe.times.front(), start);
    EXPECT_EQ(task.revolutions(), 3);

    // Within a revolution the gaps are equal to within one tick; nothing is
    // sent in bursts.
    const double perRevolution = static_cast<double>(probe.times.size()) / 3;
    const auto evenGap = std::chrono::duration<double>(milliseconds(100)) / perRevolution;
    for (std::size_t i = 1; i < probe.times.size(); ++i) {
        const auto gap = std::chrono::duration<double>(probe.times[i] - probe.times[i - 1]);
        EXPECT_GT(gap.count(), 0) << i;
        EXPECT_LT(gap, evenGap * 1.5 + microseconds(10)) << i;
    }
    EXPECT_FALSE(task.finished());
}

TEST(DataStreamTask, AFrameCountEndsWithAClosingMarker) {
    StreamProbe probe;
    DataStreamTask task = probe.stream(2);
    probe.advance(task, std::chrono::seconds(5), microseconds(50));
    EXPECT_TRUE(task.finished());
    EXPECT_EQ(task.revolutions(), 2);
    EXPECT_EQ(task.sent(), probe.payloads.size());
    EXPECT_EQ(framesIn(probe.payloads), 2u);
    // It ends right after its last revolution, not seconds later.
    EXPECT_LT(probe.now, Clock::time_point{} + milliseconds(300));
}

TEST(DataStreamTask, AfterAStallItStartsAfreshInsteadOfBursting) {
    StreamProbe probe;
    DataStreamTask task = probe.stream(0);
    probe.advance(task, milliseconds(150), microseconds(10));
    const std::size_t before = probe.times.size();
    const std::size_t perRevolution = before * 2 / 3;

    probe.now += std::chrono::seconds(2); // the process was not scheduled
    task.run(probe.now);
    const std::size_t burst = probe.times.size() - before;
    EXPECT_LE(burst, perRevolution);
    // It goes on at the normal pace: three revolutions in the next 300 ms.
    const int revolutions = task.revolutions();
    probe.advance(task, milliseconds(305), microseconds(10));
    EXPECT_EQ(task.revolutions(), revolutions + 3);
}

TEST(DataStreamTask, CountsSendsThatFail) {
    StreamProbe probe;
    probe.refuse = true;
    DataStreamTask task = probe.stream(1);
    probe.advance(task, std::chrono::seconds(1), microseconds(50));
    EXPECT_TRUE(task.finished());
    EXPECT_EQ(task.sent(), 0u);
    EXPECT_GT(task.failed(), 10u);
}

TEST(DataStreamTask, ANewRateTakesEffectAtTheNextRevolution) {
    StreamProbe probe;
    DataStreamTask task = probe.stream(0, 10);
    probe.advance(task, milliseconds(50), microseconds(10)); // half way through the first
    task.setRate(20);
    probe.advance(task, milliseconds(250), microseconds(10));
    // 100 ms for the first revolution, then 50 ms each.
    EXPECT_EQ(task.revolutions(), 1 + 4);
    EXPECT_EQ(framesIn(probe.payloads), 4u);
}

TEST(DataStreamTask, AStoppedMotorFinishesItsRevolutionAndSendsNothingUntilItRuns) {
    StreamProbe probe;
    DataStreamTask task = probe.stream(0, 10);
    probe.advance(task, milliseconds(150), microseconds(10));
    task.setMotorRunning(false);
    EXPECT_FALSE(task.motorRunning());
    probe.advance(task, milliseconds(60), microseconds(10));
    const std::size_t sent = probe.payloads.size();
    EXPECT_EQ(task.revolutions(), 2);
    EXPECT_EQ(task.nextDue(), Clock::time_point::max());

    probe.advance(task, std::chrono::seconds(5), milliseconds(1));
    EXPECT_EQ(probe.payloads.size(), sent);
    EXPECT_FALSE(task.finished());

    task.setMotorRunning(true);
    EXPECT_LE(task.nextDue(), probe.now);
    const auto restart = probe.now;
    probe.advance(task, milliseconds(205), microseconds(10));
    EXPECT_EQ(task.revolutions(), 2 + 3);
    EXPECT_EQ(probe.times[sent], restart);
    // Every revolution, the stopped ones included, arrives whole.
    EXPECT_EQ(framesIn(probe.payloads), 4u);
}

namespace {

// A main task that ends after a number of runs, each due right away.
class CountdownTask : public SimulatorTask {
public:
    explicit CountdownTask(int runs) : left_(runs) {}
    Clock::time_point nextDue() const override { return due_; }
    void run(Clock::time_point now) override {
        --left_;
        due_ = now + milliseconds(2);
    }
    bool finished() const override { return left_ <= 0; }

private:
    int left_;
    Clock::time_point due_{};
};

} // namespace

TEST(SimulatorLoop, EndsWhenTheMainTasksAreDoneWhileBackgroundTasksRun) {
    CountdownTask main(10);
    int ticks = 0;
    PeriodicTask background(
        milliseconds(1), [&] { ++ticks; }, Clock::now());
    SimulatorLoop loop;
    loop.add(main, SimulatorLoop::Role::Main);
    loop.add(background, SimulatorLoop::Role::Background);
    std::atomic<bool> stop{false};
    loop.run(stop);
    EXPECT_TRUE(main.finished());
    EXPECT_GE(ticks, 1);
}

TEST(SimulatorLoop, AStopRequestEndsAnEndlessRun) {
    CountdownTask endless(1 << 30);
    std::atomic<bool> stop{false};
    int ticks = 0;
    PeriodicTask stopper(
        milliseconds(5),
        [&] {
            if (++ticks == 3) {
                stop = true;
            }
        },
        Clock::now());
    SimulatorLoop loop;
    loop.add(endless, SimulatorLoop::Role::Main);
    loop.add(stopper, SimulatorLoop::Role::Background);
    loop.run(stop);
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(endless.finished());
}

TEST(PeriodicTask, KeepsItsCadenceAndSkipsMissedBeats) {
    int calls = 0;
    const Clock::time_point t0{};
    PeriodicTask task(
        milliseconds(100), [&] { ++calls; }, t0);
    EXPECT_EQ(task.nextDue(), t0 + milliseconds(100));
    task.run(t0 + milliseconds(130)); // late
    EXPECT_EQ(task.nextDue(), t0 + milliseconds(200));
    task.run(t0 + milliseconds(750)); // very late: no catching up
    EXPECT_EQ(task.nextDue(), t0 + milliseconds(850));
    EXPECT_EQ(calls, 2);
}
