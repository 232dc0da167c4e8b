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
//
// BM_TrailLatency: keys at a steady pace while sensor-sim streams, each
// switching the tab, with a frame trail of 1 and of 10 frames in turns:
// median and 90th percentile of each, and the ratios of 10 to 1.
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
#include <QProcess>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
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

// Shift keys pressed at a steady pace, whatever the window does, each
// switching the tab as a click on it would: how long each key took to reach
// the window, and how long until the page it switched to had painted. Keys
// sent at their own pace sample every moment alike, the middle of a long
// draw included.
class TabSwitchRecorder : public QObject {
public:
    explicit TabSwitchRecorder(QTabWidget& tabs) : tabs_(tabs) {}

    void sent(Clock::time_point at) {
        const std::lock_guard<std::mutex> lock(mutex_);
        sent_.push_back(at);
    }

    std::vector<double> keyMs;
    std::vector<double> tabMs;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Shift) {
            Clock::time_point at;
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                if (sent_.empty()) {
                    return false;
                }
                at = sent_.front();
                sent_.pop_front();
            }
            keyMs.push_back(msSince(at));
            tabs_.setCurrentIndex((tabs_.currentIndex() + 1) % tabs_.count());
            awaitingPaint_.push_back(at);
        } else if (e->type() == QEvent::Paint && !awaitingPaint_.empty() &&
                   watched->isWidgetType() &&
                   (watched == tabs_.currentWidget() ||
                    tabs_.currentWidget()->isAncestorOf(static_cast<QWidget*>(watched)))) {
            for (const Clock::time_point at : awaitingPaint_) {
                tabMs.push_back(msSince(at));
            }
            awaitingPaint_.clear();
        }
        return false;
    }

private:
    QTabWidget& tabs_;
    std::mutex mutex_;
    std::deque<Clock::time_point> sent_;
    std::vector<Clock::time_point> awaitingPaint_;
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
    const int port = showAndStartLive(window, state);
    if (port == 0) {
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

// What a frame trail costs the window's answers: sensor-sim streams its
// street at its defaults (10 Hz, 0.2 degrees: about 180,000 points a frame)
// while the trail is 1 frame, then 10, and so on for eight turns of
// seconds/8 each, so that the load of the machine falls on both alike.
// Shift keys arrive every 47 ms, each switching the tab as a click on it
// does: key_* is how long a key took to reach the window, tab_* how long
// until the page it switched to had painted. Median and 90th percentile per
// trail length, and their ratios.
constexpr int kTrailPhases = 8;

void BM_TrailLatency(benchmark::State& state) {
    manwindow window;
    const int port = showAndStartLive(window, state);
    if (port == 0) {
        return;
    }
    QProcess simulator;
    simulator.setProcessChannelMode(QProcess::ForwardedChannels);
    simulator.start(QCoreApplication::applicationDirPath() + "/../bin/sensor-sim",
                    {"--quiet", "--port", QString::number(port), "--equipment-port",
                     QString::number(window.statusReceiverThread().boundPort())});
    if (!simulator.waitForStarted() || !waitForDraws(window, 3)) {
        state.SkipWithError("sensor-sim did not start or its frames were not drawn");
        return;
    }
    window.cloudView().viewer()->resetCamera();
    auto* tabs = window.findChild<QTabWidget*>("tabWidget");
    auto* trail = window.findChild<QSpinBox*>("spinBox_Trail");
    window.findChild<QLineEdit*>("lineEdit_2")->setFocus();
    const unsigned long windowId = window.winId();

    struct Figures {
        std::vector<double> keyMs, tabMs;
        double drawn = 0, seconds = 0;
    };
    std::map<int, Figures> byLength;
    for (auto _ : state) {
        QElapsedTimer total;
        total.start();
        for (int turn = 0; turn < kTrailPhases; ++turn) {
            const int length = turn % 2 == 0 ? 1 : 10;
            trail->setValue(length);
            waitForDraws(window, 12); // the trail filled
            TabSwitchRecorder recorder(*tabs);
            qApp->installEventFilter(&recorder);
            std::atomic<bool> stop{false};
            // A prime number of milliseconds apart: no beat with the frames.
            std::thread keys([&] {
                XKeyPresser presser(windowId);
                while (presser.connected() && !stop) {
                    recorder.sent(Clock::now());
                    presser.pressShift();
                    std::this_thread::sleep_for(std::chrono::milliseconds(47));
                }
            });
            const auto drawn0 = window.drawing().framesDrawn();
            QElapsedTimer phase;
            phase.start();
            QTest::qWait(seconds * 1000 / kTrailPhases);
            stop = true;
            keys.join();
            Figures& f = byLength[length];
            f.seconds += static_cast<double>(phase.elapsed()) / 1000;
            f.drawn += static_cast<double>(window.drawing().framesDrawn() - drawn0);
            QTest::qWait(1000); // the last keys taken and their pages painted
            qApp->removeEventFilter(&recorder);
            f.keyMs.insert(f.keyMs.end(), recorder.keyMs.begin(), recorder.keyMs.end());
            f.tabMs.insert(f.tabMs.end(), recorder.tabMs.begin(), recorder.tabMs.end());
        }
        state.SetIterationTime(static_cast<double>(total.nsecsElapsed()) / 1e9);
    }
    for (const int length : {1, 10}) {
        const Figures& f = byLength[length];
        const std::string k = "_k" + std::to_string(length);
        state.counters["key_median_ms" + k] = percentile(f.keyMs, 0.5);
        state.counters["key_p90_ms" + k] = percentile(f.keyMs, 0.9);
        state.counters["tab_median_ms" + k] = percentile(f.tabMs, 0.5);
        state.counters["tab_p90_ms" + k] = percentile(f.tabMs, 0.9);
        state.counters["tabs" + k] = static_cast<double>(f.tabMs.size());
        state.counters["drawn_per_s" + k] = f.drawn / std::max(f.seconds, 1e-9);
    }
    const auto ratio = [&](const char* name) {
        const double k1 = state.counters[std::string(name) + "_k1"];
        return k1 > 0 ? state.counters[std::string(name) + "_k10"] / k1 : 0.0;
    };
    for (const char* name : {"key_median_ms", "key_p90_ms", "tab_median_ms", "tab_p90_ms"}) {
        state.counters[std::string(name) + "_k10_per_k1"] = ratio(name);
    }
    simulator.kill();
    simulator.waitForFinished();
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
            benchmark::RegisterBenchmark("BM_TrailLatency", BM_TrailLatency)
                ->Iterations(1)
                ->UseManualTime()
                ->Unit(benchmark::kSecond);
        });
}
