// Two sensors on one data port, drawn one at a time or all together: the
// main window receives both on loopback and draws them; reports frames
// received, drawn and skipped per second and the points on screen.
//
//   xvfb-run -a -s "-screen 0 1920x1080x24" build/bench/all_sensors_bench [--seconds=N]
//
// Two built-in senders (two sources on 127.0.0.1, so two sensors) each
// stream 10 Hz frames of 230,400 points; the second is placed 60 m along x
// when all are shown.
#include "LiveSender.h"
#include "LiveWindow.h"
#include "WindowBenchMain.h"
#include "app/OtherSensorsView.h"
#include "app/SensorsControl.h"
#include "app/manwindow.h"
#include "lidar/GetMuch.h"

#include <QTest>
#include <benchmark/benchmark.h>

namespace {

int seconds = 10;

void BM_TwoSensors(benchmark::State& state) {
    const bool all = state.range(0) != 0;
    manwindow window;
    const int port = showAndStartLive(window, state);
    if (port == 0) {
        return;
    }
    const LiveSender first(port, 230400, 10);
    const LiveSender second(port, 230400, 10);
    if (!QTest::qWaitFor([&] { return window.sensorsHeard().size() == 2; }, 10000)) {
        state.SkipWithError("the two senders were not both heard");
        return;
    }
    SensorPose placed;
    placed[SensorPose::X] = 60;
    window.sensors().setPose(window.sensorsHeard()[1], placed);
    if (all) {
        window.showAllSensors();
    }

    for (auto _ : state) {
        QTest::qWait(1000); // warm-up
        const DrawRates rates(window);
        QTest::qWait(seconds * 1000);
        rates.report(state);
        std::size_t points = window.lastConversion().shown->size();
        for (const OtherSensorsView::Shown& other : window.sensors().others().clouds()) {
            points += other.cloud->size();
        }
        state.counters["points_on_screen"] = static_cast<double>(points);
        state.counters["kernel_drops"] =
            static_cast<double>(window.liveReceiverThread().kernelDrops());
    }
    window.close();
}

} // namespace

int main(int argc, char** argv) {
    return runWindowBenchmarks(
        argc, argv, seconds, [](const std::string&) { return false; },
        [] {
            benchmark::RegisterBenchmark("BM_TwoSensors", BM_TwoSensors)
                ->ArgName("all")
                ->Arg(0)
                ->Arg(1)
                ->Iterations(1)
                ->UseManualTime()
                ->Unit(benchmark::kSecond);
            benchmark::AddCustomContext("senders", "2 built-in, each 10 Hz x 230400 points");
        });
}
