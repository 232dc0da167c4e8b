// How fast the live receiver takes datagrams on loopback, and what a stall
// costs. Sender and receiver run on this machine; the sender is a thread of
// this program that sends sensor-sim's datagrams at a paced rate.
//
// VANTOR_BENCH_SECONDS shortens the 10-second runs for a quick look.

#include "lidar/GetMuch.h"
#include "net/UdpSocket.h"
#include "tools/sim/SensorSimulator.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <ctime>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Payload = SensorSimulator::Payload;

double runSeconds() {
    bool ok = false;
    const double s = qEnvironmentVariable("VANTOR_BENCH_SECONDS").toDouble(&ok);
    return ok && s > 0 ? s : 10.0;
}

// One revolution at the default step, sent round and round: one marker per
// cycle, every datagram full of points.
const std::vector<Payload>& traffic() {
    static const std::vector<Payload> payloads = [] {
        std::vector<Payload> p;
        SensorSimulator(SyntheticScene::street(), 20).nextRevolution(p);
        return p;
    }();
    return payloads;
}

// Sends at `rate` datagrams per second for `seconds`, in small batches
// every 50 µs so that the average rate holds at any speed. With several
// sensors (each from a loopback address of its own, 127.0.0.2 on) the
// datagrams take turns, each sensor sending its own revolution in order.
class PacedSender {
public:
    PacedSender(std::uint16_t port, double rate, double seconds, int sensors = 0)
        : thread_([this, port, rate, seconds, sensors] { run(port, rate, seconds, sensors); }) {}
    ~PacedSender() { thread_.join(); }
    PacedSender(const PacedSender&) = delete;
    PacedSender& operator=(const PacedSender&) = delete;

    bool done() const { return done_; }
    std::uint64_t sent() const { return sent_; }
    double achievedRate() const { return achieved_; }

private:
    void run(std::uint16_t port, double rate, double seconds, int sensors) {
        // None: one socket from any address, as before.
        std::vector<std::unique_ptr<UdpSocket>> sockets;
        for (int s = 0; s < std::max(sensors, 1); ++s) {
            sockets.push_back(std::make_unique<UdpSocket>());
            if (sensors > 0) {
                sockets.back()->bindTo("127.0.0." + std::to_string(2 + s), 0);
            }
        }
        const auto count = static_cast<std::uint64_t>(sockets.size());
        const auto& payloads = traffic();
        const auto start = Clock::now();
        std::uint64_t sent = 0;
        double elapsed = 0;
        while (elapsed < seconds) {
            const auto due = static_cast<std::uint64_t>(rate * elapsed);
            for (; sent < due; ++sent) {
                const Payload& p = payloads[sent / count % payloads.size()];
                sockets[sent % count]->sendTo("127.0.0.1", port, p.data(), p.size());
            }
            sent_ = sent;
            std::this_thread::sleep_for(std::chrono::microseconds(50));
            elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        }
        achieved_ = static_cast<double>(sent) / elapsed;
        done_ = true;
    }

    std::atomic<bool> done_{false};
    std::atomic<std::uint64_t> sent_{0};
    std::atomic<double> achieved_{0};
    std::thread thread_;
};

// Who stops for 100 ms once a second.
enum class Stall { Nobody, GuiThread, ReceivingThread };

struct Outcome {
    double seconds = 0; // from the start of sending until the socket ran dry
    double receiverCpuSeconds = 0;
    std::uint64_t sent = 0;
    std::uint64_t accepted = 0;
    std::int64_t kernelDrops = -1;
    std::uint64_t framesEmitted = 0;
    std::uint64_t framesConsumed = 0;
    std::uint64_t largestBacklog = 0; // frames emitted but not yet consumed
    double achievedRate = 0;
    std::uint64_t lost() const { return sent - accepted; }
};

// A GetMuch as the window runs it: frames queued to this (the GUI) thread.
// `sensors` > 0 sends from that many sensors, sharing `rate`.
Outcome measure(double rate, double seconds, Stall stall, int sensors = 0) {
    GetMuch receiver;
    QObject gui;
    // The receiving thread's processor time, read by itself as it ends.
    std::atomic<double> receiverCpu{0};
    QObject::connect(
        &receiver, &QThread::finished, &receiver,
        [&receiverCpu] {
            timespec t{};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
            receiverCpu = static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
        },
        Qt::DirectConnection);
    std::atomic<std::uint64_t> consumed{0};
    QObject::connect(&receiver, &GetMuch::SendLidarData, &gui,
                     [&consumed](const MuchLidarData&) { ++consumed; });
    // Runs on the receiving thread at every frame: measures the queue of
    // frames waiting for the GUI thread and, if asked, holds the thread.
    std::uint64_t largestBacklog = 0;
    auto lastReceiverStall = Clock::now();
    QObject::connect(
        &receiver, &GetMuch::SendLidarData, &receiver,
        [&](const MuchLidarData&) {
            largestBacklog =
                std::max<std::uint64_t>(largestBacklog, receiver.framesEmitted() - consumed);
            if (stall == Stall::ReceivingThread &&
                Clock::now() - lastReceiverStall >= std::chrono::seconds(1)) {
                QThread::msleep(100);
                lastReceiverStall = Clock::now();
            }
        },
        Qt::DirectConnection);
    receiver.start();
    while (receiver.boundPort() == 0) {
        QThread::msleep(1);
    }

    Outcome outcome;
    QEventLoop loop;
    QTimer stallTimer;
    if (stall == Stall::GuiThread) {
        QObject::connect(&stallTimer, &QTimer::timeout, [] { QThread::msleep(100); });
        stallTimer.start(1000);
    }
    const auto sendingFrom = Clock::now();
    {
        PacedSender sender(static_cast<std::uint16_t>(receiver.boundPort()), rate, seconds,
                           sensors);
        std::uint64_t lastAccepted = 0;
        int steadySamples = 0;
        QTimer sample;
        QObject::connect(&sample, &QTimer::timeout, [&] {
            // Done once the sender has finished and the socket has run dry.
            const std::uint64_t accepted = receiver.datagramsAccepted();
            steadySamples = sender.done() && accepted == lastAccepted ? steadySamples + 1 : 0;
            lastAccepted = accepted;
            if (steadySamples >= 4) {
                loop.quit();
            }
        });
        sample.start(50);
        loop.exec();
        outcome.sent = sender.sent();
        outcome.achievedRate = sender.achievedRate();
    }
    outcome.seconds = std::chrono::duration<double>(Clock::now() - sendingFrom).count();
    QCoreApplication::processEvents();
    receiver.stop = true;
    receiver.wait();
    outcome.accepted = receiver.datagramsAccepted();
    outcome.kernelDrops = receiver.kernelDrops();
    outcome.framesEmitted = receiver.framesEmitted();
    outcome.framesConsumed = consumed;
    outcome.largestBacklog = largestBacklog;
    outcome.receiverCpuSeconds = receiverCpu;
    return outcome;
}

void report(benchmark::State& state, const Outcome& o) {
    state.counters["sent"] = static_cast<double>(o.sent);
    state.counters["lost"] = static_cast<double>(o.lost());
    state.counters["kernel_drops"] = static_cast<double>(o.kernelDrops);
    state.counters["frames"] = static_cast<double>(o.framesEmitted);
}

double grantedReceiveBuffer() {
    UdpSocket probe;
    return probe.setReceiveBufferSize(GetMuch::kReceiveBufferBytes);
}

// Raises the rate until datagrams are lost (2-second probes), narrows it
// down, then holds the best rate for the full run to confirm it.
void BM_HighestLossFreeRate(benchmark::State& state) {
    const double seconds = runSeconds();
    const double probe = std::min(2.0, seconds);
    auto clean = [](const Outcome& o, double rate) {
        return o.lost() == 0 && o.achievedRate >= 0.97 * rate;
    };
    for (auto _ : state) {
        double good = 0;
        double bad = 0;
        bool senderLimited = false;
        for (double rate = 25000; rate <= 3.2e6; rate *= 2) {
            const Outcome o = measure(rate, probe, Stall::Nobody);
            if (clean(o, rate)) {
                good = rate;
                continue;
            }
            senderLimited = o.lost() == 0;
            bad = senderLimited ? o.achievedRate : rate;
            break;
        }
        for (int i = 0; i < 5 && bad > good; ++i) {
            const double rate = (good + bad) / 2;
            (clean(measure(rate, probe, Stall::Nobody), rate) ? good : bad) = rate;
        }
        // A busy machine can make the full run lose where the short probe
        // did not; step down until a whole run is clean, or say it was not.
        Outcome held;
        bool confirmed = false;
        for (int attempt = 0; attempt < 5 && !confirmed; ++attempt) {
            if (attempt > 0) {
                good *= 0.85;
            }
            held = measure(good, seconds, Stall::Nobody);
            confirmed = held.lost() == 0;
        }
        report(state, held);
        state.counters["datagrams_per_s"] = good;
        state.counters["points_per_s"] = good * DataPacket::kGroupCount;
        state.counters["confirmed"] = confirmed;
        state.counters["sender_limited"] = senderLimited;
    }
    state.counters["rcvbuf_bytes"] = grantedReceiveBuffer();
}
BENCHMARK(BM_HighestLossFreeRate)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

// 30,000 datagrams/s while one thread stops for 100 ms every second.
void BM_StallEverySecondAt30k(benchmark::State& state) {
    const auto stall = static_cast<Stall>(state.range(0));
    for (auto _ : state) {
        const Outcome o = measure(30000, runSeconds(), stall);
        report(state, o);
        state.counters["consumed_frames"] = static_cast<double>(o.framesConsumed);
        state.counters["max_backlog_frames"] = static_cast<double>(o.largestBacklog);
    }
    state.counters["rcvbuf_bytes"] = grantedReceiveBuffer();
    state.SetLabel(stall == Stall::Nobody      ? "no stall"
                   : stall == Stall::GuiThread ? "GUI thread stalls"
                                               : "receiving thread stalls");
}
BENCHMARK(BM_StallEverySecondAt30k)
    ->Arg(static_cast<int>(Stall::Nobody))
    ->Arg(static_cast<int>(Stall::GuiThread))
    ->Arg(static_cast<int>(Stall::ReceivingThread))
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

// 1, 2 and 4 sensors on one port, each sending 10,000 datagrams/s from an
// address of its own: what is lost, and what the receiving thread costs.
void BM_SensorsAt10kEach(benchmark::State& state) {
    const auto sensors = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const Outcome o = measure(10000.0 * sensors, runSeconds(), Stall::Nobody, sensors);
        report(state, o);
        state.counters["datagrams_per_s"] = o.achievedRate;
        state.counters["receiver_cpu_s"] = o.receiverCpuSeconds;
        // Of one processor, over the time datagrams came in.
        state.counters["receiver_cpu_percent"] = 100.0 * o.receiverCpuSeconds / o.seconds;
        state.counters["us_per_datagram"] =
            o.accepted == 0 ? 0.0 : 1e6 * o.receiverCpuSeconds / static_cast<double>(o.accepted);
    }
    state.counters["rcvbuf_bytes"] = grantedReceiveBuffer();
}
BENCHMARK(BM_SensorsAt10kEach)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    // Frames reach the consuming thread through its event loop.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
