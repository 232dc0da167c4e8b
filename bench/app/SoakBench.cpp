// Soak: the main window receives and draws live frames for a long time;
// reports resident memory every minute, frames received, drawn and skipped,
// and the receive socket's kernel drops. Resident memory should level off
// after the first minutes.
//
//   xvfb-run -a -s "-screen 0 1920x1080x24" build/bench/soak_bench [--minutes=30] [--rate=20]
//
// The built-in sender streams frames of 230,400 points to 127.0.0.1 at
// --rate frames a second. One line per minute goes to standard output as
// the run goes; the counters at the end sum it up.
#include "LiveSender.h"
#include "LiveWindow.h"
#include "WindowBenchMain.h"
#include "app/DrawCoalescer.h"
#include "app/manwindow.h"
#include "lidar/GetMuch.h"

#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <string>

namespace {

int minutes = 30;
int rate = 20;

double residentMiB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * 4096 / (1 << 20) : 0;
}

void BM_Soak(benchmark::State& state) {
    manwindow window;
    window.show();
    const int port = LiveSender::freePort();
    if (!startLive(window, port)) {
        state.SkipWithError("no display, or the ports could not be bound");
        return;
    }
    auto sender = std::make_unique<LiveSender>(port, 230400, rate);

    const GetMuch& receiver = window.liveReceiverThread();
    const DrawCoalescer& drawing = window.drawing();
    std::vector<double> resident;
    for (auto _ : state) {
        std::printf("minute  resident_MiB  received  drawn  skipped  kernel_drops   (per "
                    "minute, drops since start)\n");
        std::uint64_t received0 = 0;
        std::uint64_t drawn0 = 0;
        std::uint64_t skipped0 = 0;
        for (int minute = 1; minute <= minutes; ++minute) {
            QTest::qWait(60000);
            const std::uint64_t received = window.framesDelivered();
            const std::uint64_t drawn = drawing.framesDrawn();
            const std::uint64_t skipped = drawing.drawsSkipped();
            resident.push_back(residentMiB());
            std::printf("%6d  %12.1f  %8llu  %5llu  %7llu  %12lld\n", minute, resident.back(),
                        static_cast<unsigned long long>(received - received0),
                        static_cast<unsigned long long>(drawn - drawn0),
                        static_cast<unsigned long long>(skipped - skipped0),
                        static_cast<long long>(receiver.kernelDrops()));
            std::fflush(stdout);
            received0 = received;
            drawn0 = drawn;
            skipped0 = skipped;
        }
        state.SetIterationTime(minutes * 60.0);
        state.counters["frames_received"] = static_cast<double>(window.framesDelivered());
        state.counters["frames_drawn"] = static_cast<double>(drawing.framesDrawn());
        state.counters["draws_skipped"] = static_cast<double>(drawing.drawsSkipped());
        state.counters["kernel_drops"] = static_cast<double>(receiver.kernelDrops());
        state.counters["points_per_frame"] = static_cast<double>(window.lastFrameReceived().size());
    }
    sender.reset();
    window.close();

    // The level: the first minute's size, the last one's, and how much the
    // second half of the run added.
    if (!resident.empty()) {
        const std::size_t half = resident.size() / 2;
        state.counters["rss_first_min_MiB"] = resident.front();
        state.counters["rss_last_min_MiB"] = resident.back();
        state.counters["rss_max_MiB"] = *std::max_element(resident.begin(), resident.end());
        state.counters["rss_second_half_growth_MiB"] = resident.back() - resident[half];
    }
}

} // namespace

int main(int argc, char** argv) {
    int unusedSeconds = 0;
    return runWindowBenchmarks(
        argc, argv, unusedSeconds,
        [](const std::string& arg) {
            std::string value;
            if (optionValue(arg, "minutes", value)) {
                minutes = std::max(1, std::stoi(value));
                return true;
            }
            if (optionValue(arg, "rate", value)) {
                rate = std::clamp(std::stoi(value), 1, 100);
                return true;
            }
            return false;
        },
        [] {
            benchmark::RegisterBenchmark("BM_Soak", BM_Soak)
                ->Iterations(1)
                ->UseManualTime()
                ->Unit(benchmark::kSecond);
            benchmark::AddCustomContext("sender", "built-in, " + std::to_string(rate) +
                                                      " Hz x 230400 points, " +
                                                      std::to_string(minutes) + " minutes");
        });
}
