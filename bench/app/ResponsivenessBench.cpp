// How the window answers while live data is drawn.
//
//   xvfb-run -a -s "-screen 0 1920x1080x24" build/bench/responsiveness_bench [--seconds=N]
//
// BM_OpenCapture/live:0|1 opens an 80 MB capture with the Open button's
// loading step, idle and while 10 Hz frames of 230,400 points arrive and are
// drawn; indexed_ms is the part until the file is indexed, the rest is the
// switch-over (live reception stopped, the playback bar set up).
//
// BM_InputLatency/points: while 10 Hz frames of that many points arrive and
// are drawn, key presses go to the window through the X server, one at a
// time: key_* is how long each took to reach the window, key_to_paint_* how
// long until a label it touched had repainted (what the user sees);
// posted_* is how long events posted to the GUI thread from another thread
// waited (they jump ahead of paints, which Qt posts at low priority). Median,
// 99th percentile and worst, in milliseconds.
#include "LiveSender.h"
#include "LiveWindow.h"
#include "WindowBenchMain.h"
#include "XKeyPresser.h"
#include "app/CloudView.h"
#include "app/DrawCoalescer.h"
#include "app/PlaybackBar.h"
#include "app/manwindow.h"
#include "lidar/GetMuch.h"
#include "support/TestCaptureWriter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <pcl/visualization/pcl_visualizer.h>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

int seconds = 10;
constexpr int kCapturePackets = 64000; // 80.9 MB

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
    const int port = LiveSender::freePort();
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
    explicit StampedEvent(Clock::time_point posted) : QEvent(type()), posted(posted) {}
    Clock::time_point posted;
};

double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// Notes how long stamped events waited, how long after `keySent` the window
// took a Shift key press, and how long until `reaction`, asked to repaint on
// that key, had painted: what a user sees of a key.
class DelayRecorder : public QObject {
public:
    explicit DelayRecorder(QWidget& reaction) : reaction_(reaction) {}

    std::vector<double> postedMs;
    std::vector<double> keyMs;
    std::vector<double> paintMs;
    std::atomic<bool> keyPending{false};
    std::atomic<Clock::rep> keySent{0};

protected:
    bool event(QEvent* e) override {
        if (e->type() != StampedEvent::type()) {
            return QObject::event(e);
        }
        postedMs.push_back(msSince(static_cast<StampedEvent*>(e)->posted));
        return true;
    }
    bool eventFilter(QObject* watched, QEvent* e) override {
        const auto sent = Clock::time_point(Clock::duration(keySent.load()));
        if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Shift &&
            keyPending && !painting_) {
            keyMs.push_back(msSince(sent));
            painting_ = true;
            reaction_.update();
        } else if (watched == &reaction_ && e->type() == QEvent::Paint && painting_) {
            paintMs.push_back(msSince(sent));
            painting_ = false;
            keyPending = false;
        }
        return false;
    }

private:
    QWidget& reaction_;
    bool painting_ = false;
};

// Presses Shift on `window` through the X server; the next press waits until
// the window has taken the last one (or a second has passed).
void sendKeys(unsigned long window, DelayRecorder& recorder, const std::atomic<bool>& stop) {
    XKeyPresser presser(window);
    while (presser.connected() && !stop) {
        recorder.keySent = Clock::now().time_since_epoch().count();
        recorder.keyPending = true;
        presser.pressShift();
        for (int ms = 0; recorder.keyPending && ms < 1000 && !stop; ++ms) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

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
    const int port = LiveSender::freePort();
    if (!startLive(window, port)) {
        state.SkipWithError("no display, or the ports could not be bound");
        return;
    }
    LiveSender sender(port, static_cast<int>(state.range(0)), 10);
    if (!waitForDraws(window, 3)) {
        state.SkipWithError("live frames were not drawn");
        return;
    }
    // The whole scene in view, as after the first frame's fit: the preset
    // alone would leave most points outside it, and those cost nothing.
    window.cloudView().viewer()->resetCamera();
    const unsigned long windowId = window.winId();
    // Keys go to a field where Shift does nothing; in the 3D view every key
    // would render it.
    window.findChild<QLineEdit*>("lineEdit_2")->setFocus();
    // A label that repaints on every key.
    auto* reaction = new QLabel(QStringLiteral("key"), &window);
    window.statusBar()->addWidget(reaction);
    for (auto _ : state) {
        DelayRecorder recorder(*reaction);
        qApp->installEventFilter(&recorder);
        std::atomic<bool> stop{false};
        std::thread poster([&] {
            while (!stop) {
                QCoreApplication::postEvent(&recorder, new StampedEvent(Clock::now()));
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
        std::thread keys([&] { sendKeys(windowId, recorder, stop); });
        const auto drawn0 = window.drawing().framesDrawn();
        const auto received0 = window.framesDelivered();
        QElapsedTimer clock;
        clock.start();
        QTest::qWait(seconds * 1000);
        stop = true;
        poster.join();
        keys.join();
        const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        state.SetIterationTime(elapsed);
        QTest::qWait(1000); // the last posted events are handled too
        qApp->removeEventFilter(&recorder);
        state.counters["posted_median_ms"] = percentile(recorder.postedMs, 0.5);
        state.counters["posted_p99_ms"] = percentile(recorder.postedMs, 0.99);
        state.counters["posted_worst_ms"] = percentile(recorder.postedMs, 1.0);
        state.counters["key_median_ms"] = percentile(recorder.keyMs, 0.5);
        state.counters["key_p99_ms"] = percentile(recorder.keyMs, 0.99);
        state.counters["key_worst_ms"] = percentile(recorder.keyMs, 1.0);
        state.counters["key_to_paint_median_ms"] = percentile(recorder.paintMs, 0.5);
        state.counters["key_to_paint_p99_ms"] = percentile(recorder.paintMs, 0.99);
        state.counters["key_to_paint_worst_ms"] = percentile(recorder.paintMs, 1.0);
        state.counters["keys"] = static_cast<double>(recorder.paintMs.size());
        state.counters["drawn_per_s"] = (window.drawing().framesDrawn() - drawn0) / elapsed;
        state.counters["received_per_s"] = (window.framesDelivered() - received0) / elapsed;
        state.counters["points_per_frame"] = static_cast<double>(window.lastFrameReceived().size());
    }
    window.close();
}

} // namespace

int main(int argc, char** argv) {
    return runWindowBenchmarks(
        argc, argv, seconds, [](const std::string&) { return false; },
        [] {
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
        });
}
