// How the window answers while live data is drawn.
//
//   xvfb-run -a -s "-screen 0 1920x1080x24" build/bench/responsiveness_bench [--seconds=N]
//
// BM_OpenCapture/live:0|1 opens an 80 MB capture with the Open button's
// loading step, idle and while 10 Hz frames of 230,400 points arrive and are
// drawn; indexed_ms is the part until the file is indexed, the rest is the
// switch-over (live reception stopped, the playback bar set up). BM_InputLatency/points reports how
// long events posted to the GUI thread (one every 5 ms, from another thread) wait before they are
// handled while 10 Hz frames of that many points arrive and are drawn: median, 99th percentile and
// worst, in milliseconds.
#include "LiveSender.h"
#include "app/DrawCoalescer.h"
#include "app/PlaybackBar.h"
#include "app/manwindow.h"
#include "lidar/GetMuch.h"
#include "support/TestCaptureWriter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QLineEdit>
#include <QSurfaceFormat>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QVTKOpenGLNativeWidget.h>
#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>
#include <vtkLogger.h>

namespace {

int seconds = 10;
constexpr int kCapturePackets = 64000; // 80.9 MB

int freePort() {
    UdpSocket probe;
    probe.bindAny(0);
    return probe.localPort();
}

const QString& capturePath() {
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = dir.filePath("open.pcap");
        const auto frame = LiveSender::sceneFrame(1800);
        TestCaptureWriter writer(p.toStdString(), {});
        for (int i = 0; i < kCapturePackets; ++i) {
            writer.writePayload(frame[static_cast<std::size_t>(i) % frame.size()].data());
        }
        writer.close();
        return p;
    }();
    return path;
}

// Starts live reception on a free port; false without a display or port.
bool startLive(manwindow& window, int port) {
    window.findChild<QLineEdit*>("lineEdit_portNumber")->setText(QString::number(port));
    window.findChild<QLineEdit*>("lineEdit_portNumber_2")->setText(QString::number(freePort()));
    auto* lidar = window.findChild<QToolButton*>("toolButton_Lidar");
    lidar->setEnabled(true); // an opened capture disables it
    lidar->click();
    return QTest::qWaitFor([&] { return window.liveReceiverThread().boundPort() != 0; });
}

bool waitForDraws(manwindow& window, int draws) {
    const auto before = window.drawing().framesDrawn();
    return QTest::qWaitFor(
        [&] {
            return window.drawing().framesDrawn() >= before + static_cast<std::uint64_t>(draws);
        },
        10000);
}

void BM_OpenCapture(benchmark::State& state) {
    const bool live = state.range(0) != 0;
    const QString path = capturePath();
    manwindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        state.SkipWithError("no display");
        return;
    }
    const int port = freePort();
    std::unique_ptr<LiveSender> sender;
    if (live) {
        sender = std::make_unique<LiveSender>(port, 230400, 10);
    }
    // When the loader thread finished indexing, apart from the switch-over
    // that follows (stopping the receivers, setting up the bar).
    QElapsedTimer clock;
    std::atomic<qint64> indexedNs{0};
    QObject::connect(
        &window.playbackControl().captureLoader(), &QThread::finished,
        &window.playbackControl().captureLoader(), [&] { indexedNs = clock.nsecsElapsed(); },
        Qt::DirectConnection);
    double indexedTotal = 0;
    for (auto _ : state) {
        if (live && (!startLive(window, port) || !waitForDraws(window, 3))) {
            state.SkipWithError("live frames were not drawn");
            break;
        }
        clock.start();
        const bool opened = window.playbackControl().openCapture(path);
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        indexedTotal += static_cast<double>(indexedNs) / 1e6;
        if (!opened) {
            state.SkipWithError("the capture did not open");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * kCapturePackets * 1264);
    state.counters["indexed_ms"] = indexedTotal / static_cast<double>(state.iterations());
    window.close();
}

// An event that knows when it was posted.
class StampedEvent : public QEvent {
public:
    static QEvent::Type type() {
        static const auto t = static_cast<QEvent::Type>(QEvent::registerEventType());
        return t;
    }
    explicit StampedEvent(std::chrono::steady_clock::time_point posted)
        : QEvent(type()), posted(posted) {}
    std::chrono::steady_clock::time_point posted;
};

class DelayRecorder : public QObject {
public:
    std::vector<double> delaysMs;

protected:
    bool event(QEvent* e) override {
        if (e->type() != StampedEvent::type()) {
            return QObject::event(e);
        }
        const auto posted = static_cast<StampedEvent*>(e)->posted;
        delaysMs.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - posted)
                .count());
        return true;
    }
};

double percentile(std::vector<double> values, double p) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1))];
}

void BM_InputLatency(benchmark::State& state) {
    manwindow window;
    window.show();
    const int port = freePort();
    if (!QTest::qWaitForWindowExposed(&window) || !startLive(window, port)) {
        state.SkipWithError("no display, or the data port could not be bound");
        return;
    }
    LiveSender sender(port, static_cast<int>(state.range(0)), 10);
    if (!waitForDraws(window, 3)) {
        state.SkipWithError("live frames were not drawn");
        return;
    }
    for (auto _ : state) {
        DelayRecorder recorder;
        std::atomic<bool> stop{false};
        std::atomic<int> posted{0};
        std::thread poster([&] {
            while (!stop) {
                QCoreApplication::postEvent(&recorder,
                                            new StampedEvent(std::chrono::steady_clock::now()));
                ++posted;
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
        const auto drawn0 = window.drawing().framesDrawn();
        const auto received0 = window.framesDelivered();
        QElapsedTimer clock;
        clock.start();
        QTest::qWait(seconds * 1000);
        stop = true;
        poster.join();
        const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        state.SetIterationTime(elapsed);
        QTest::qWait(1000); // the last posted events are handled too
        state.counters["median_ms"] = percentile(recorder.delaysMs, 0.5);
        state.counters["p99_ms"] = percentile(recorder.delaysMs, 0.99);
        state.counters["worst_ms"] = percentile(recorder.delaysMs, 1.0);
        state.counters["events"] = static_cast<double>(recorder.delaysMs.size());
        state.counters["received_per_s"] = (window.framesDelivered() - received0) / elapsed;
        state.counters["drawn_per_s"] = (window.drawing().framesDrawn() - drawn0) / elapsed;
        state.counters["points_per_frame"] = static_cast<double>(window.lastFrameReceived().size());
    }
    window.close();
}

} // namespace

int main(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(QVTKOpenGLNativeWidget::defaultFormat());
    vtkLogger::SetStderrVerbosity(vtkLogger::VERBOSITY_ERROR);
    QApplication app(argc, argv);
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--seconds=", 0) == 0) {
            seconds = std::stoi(arg.substr(10));
        } else {
            rest.push_back(argv[i]);
        }
    }
    int restCount = static_cast<int>(rest.size());
    benchmark::RegisterBenchmark("BM_OpenCapture", BM_OpenCapture)
        ->ArgName("live")
        ->Arg(0)
        ->Arg(1)
        ->Iterations(5)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_InputLatency", BM_InputLatency)
        ->ArgName("points")
        ->Arg(100000)
        ->Arg(300000)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kSecond);
    benchmark::Initialize(&restCount, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
