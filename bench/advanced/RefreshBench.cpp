// "Refresh state" of the advanced window against sensor-sim while it streams
// data: the time from the press to the filled fields, 10 presses for each
// data rate, with the median and the slowest press. The search waits for
// the sensor's next device packet (one a second), so about half a second
// is the figure to expect at any rate; a search that the data swamps shows
// as presses of 3 s or an error. CPU is this process's: the window and the
// search.
//
// BM_RefreshWhileStreaming has the advanced window alone. BM_RefreshWhileDrawing
// has the main window showing the stream live ("Lidar" pressed, every frame
// drawn in the 3D view at 1366 x 768) and presses "Refresh state" of its
// advanced window, as a user does; drawn_per_s is how many frames the view
// drew meanwhile.
//
// Capturing needs root or CAP_NET_RAW; run it in a namespace of its own, where
// loopback is the only adapter and nothing else shares it:
//   unshare -n bash -c 'ip link set lo up; xvfb-run -a build/bench/refresh_bench'

#include "../app/LiveWindow.h"
#include "../app/WindowBenchMain.h"
#include "advanced/ACWPSetMuch.h"
#include "app/DrawCoalescer.h"
#include "net/UdpSocket.h"
#include "tools/sim/SensorSimulator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <functional>
#include <vector>

namespace {

// Boxes are counted, not shown.
class CountingPresenter : public MessagePresenter {
public:
    explicit CountingPresenter(QString& last) : last_(last) {}
    void information(QWidget*, const QString&, const QString& text) override { last_ = text; }
    void about(QWidget*, const QString&, const QString& text) override { last_ = text; }
    bool question(QWidget*, const QString&, const QString&) override { return false; }

private:
    QString& last_;
};

double datagramsPerRevolution() {
    std::vector<SensorSimulator::Payload> payloads;
    SensorSimulator(SyntheticScene::street(), 20).nextRevolution(payloads);
    return static_cast<double>(payloads.size());
}

// Runs the event loop until `done`, checking every millisecond.
void waitUntil(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    check.start(1);
    loop.exec();
}

// sensor-sim at 127.0.0.2 sending `datagramsPerSecond` (0: motor stopped)
// to the two ports.
bool startSimulator(QProcess& sim, double datagramsPerSecond, int dataPort, int devicePort) {
    QStringList arguments{"--source-ip",      "127.0.0.2",
                          "--port",           QString::number(dataPort),
                          "--equipment-port", QString::number(devicePort),
                          "--seconds",        "600",
                          "--quiet"};
    if (datagramsPerSecond > 0) {
        arguments << "--rate"
                  << QString::number(datagramsPerSecond / datagramsPerRevolution(), 'f', 4);
    } else {
        arguments << "--motor"
                  << "stop";
    }
    sim.start(QCoreApplication::applicationDirPath() + "/../bin/sensor-sim", arguments);
    return sim.waitForStarted(5000);
}

// Presses "Refresh state" of `window` once per iteration; a press that did
// not refresh ends the run with an error.
void measureRefreshes(benchmark::State& state, ACWPSetMuch& window) {
    QString last;
    window.setMessagePresenter(std::make_unique<CountingPresenter>(last));
    QPushButton* refresh = window.findChild<QPushButton*>("pushButton_Refreshlidar");
    std::vector<double> seconds;
    int press = 0;
    for (auto _ : state) {
        // Presses fall at different points of the sensor's one-second cycle,
        // as a user's would, not always just after its last device packet.
        QElapsedTimer pause;
        pause.start();
        const qint64 offsetMs = (press++ * 370) % 1000;
        waitUntil([&] { return pause.elapsed() >= offsetMs; });

        last.clear();
        QElapsedTimer timer;
        timer.start();
        refresh->click();
        waitUntil([&] { return !window.searching(); });
        const double elapsed = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        if (!last.startsWith("Resresh completed")) {
            state.SkipWithError(qPrintable("no refresh: " + last));
            break;
        }
        state.SetIterationTime(elapsed);
        seconds.push_back(elapsed);
    }
    if (!seconds.empty()) {
        std::sort(seconds.begin(), seconds.end());
        state.counters["median_ms"] = seconds[seconds.size() / 2] * 1000;
        state.counters["slowest_ms"] = seconds.back() * 1000;
    }
}

void BM_RefreshWhileStreaming(benchmark::State& state) {
    UdpSocket data;
    UdpSocket device;
    data.bindAny(0);
    device.bindAny(0);
    QProcess sim;
    if (!startSimulator(sim, static_cast<double>(state.range(0)), data.localPort(),
                        device.localPort())) {
        state.SkipWithError("sensor-sim did not start");
        return;
    }
    ACWPSetMuch window;
    measureRefreshes(state, window);
    sim.terminate();
    sim.waitForFinished(5000);
}

void BM_RefreshWhileDrawing(benchmark::State& state) {
    manwindow window;
    window.resize(1366, 768);
    window.show();
    const int dataPort = LiveSender::freePort();
    QProcess sim;
    if (!startLive(window, dataPort) ||
        !startSimulator(sim, static_cast<double>(state.range(0)), dataPort,
                        window.statusReceiverThread().boundPort())) {
        state.SkipWithError("the window or sensor-sim did not start");
        return;
    }
    const std::uint64_t drawnBefore = window.drawing().framesDrawn();
    QElapsedTimer run;
    run.start();
    measureRefreshes(state, window.advancedWindow());
    state.counters["drawn_per_s"] =
        static_cast<double>(window.drawing().framesDrawn() - drawnBefore) * 1000.0 /
        static_cast<double>(std::max<qint64>(run.elapsed(), 1));
    sim.terminate();
    sim.waitForFinished(5000);
}

} // namespace

int main(int argc, char** argv) {
    return runWindowBenchmarks(
        argc, argv, [](const std::string&) { return false; },
        [] {
            for (const auto& benchmark :
                 {std::pair{"BM_RefreshWhileStreaming", &BM_RefreshWhileStreaming},
                  std::pair{"BM_RefreshWhileDrawing", &BM_RefreshWhileDrawing}}) {
                benchmark::RegisterBenchmark(benchmark.first, benchmark.second)
                    ->Arg(0)
                    ->Arg(10000)
                    ->Arg(30000)
                    ->Iterations(10)
                    ->UseManualTime()
                    ->Unit(benchmark::kMillisecond);
            }
        });
}
