// A multi-frame CSV export from the window while sensor-sim streams: frames
// written of those asked for, the longest stall of the GUI thread during
// the export, frames drawn per second before, during and after it, and how
// long the writer needed after the last frame had arrived.
//
//   xvfb-run -a -s "-screen 0 1920x1080x24" build/bench/live_export_bench
//       [--frames=20] [--rate=20] [--step=0.2]
//
// sensor-sim sends --rate revolutions per second of 360/--step azimuth
// steps of 128 channels (0.2 degrees: 230,400 groups a revolution, of
// which the street scene fills about 180,000 with a return).
#include "LiveWindow.h"
#include "WindowBenchMain.h"

#include "app/CsvExport.h"
#include "app/DrawCoalescer.h"
#include "app/manwindow.h"
#include "device/GetSet.h"
#include "lidar/GetMuch.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <string>

namespace {

int frames = 20;
QString rate = "20";
QString step = "0.2";

// The longest time between two turns of the event loop while it lives.
class StallProbe {
public:
    StallProbe() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.nsecsElapsed();
            longest_ = std::max(longest_, now - last_);
            last_ = now;
        });
        clock_.start();
        timer_.start(1);
    }
    double longestMs() const { return static_cast<double>(longest_) / 1e6; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
};

struct Watch {
    double drawnPerSecond = 0;
    double longestStallMs = 0;
};

// Frames drawn per second and the longest stall over `ms` milliseconds.
Watch watchFor(manwindow& window, int ms) {
    const auto drawn = window.drawing().framesDrawn();
    QElapsedTimer t;
    t.start();
    StallProbe probe;
    QTest::qWait(ms);
    return {static_cast<double>(window.drawing().framesDrawn() - drawn) * 1000.0 /
                static_cast<double>(t.elapsed()),
            probe.longestMs()};
}

void BM_LiveExport(benchmark::State& state) {
    manwindow window;
    window.show();
    if (!startLive(window)) {
        state.SkipWithError("no display, or the ports could not be bound");
        return;
    }
    QProcess sim;
    sim.setProcessChannelMode(QProcess::ForwardedChannels);
    sim.start(QCoreApplication::applicationDirPath() + "/../bin/sensor-sim",
              {"--quiet", "--rate", rate, "--step", step, "--port",
               QString::number(window.liveReceiverThread().boundPort()), "--equipment-port",
               QString::number(window.statusReceiverThread().boundPort())});
    if (!sim.waitForStarted()) {
        state.SkipWithError("sensor-sim could not be started");
        return;
    }
    QTemporaryDir dir;

    for (auto _ : state) {
        QTest::qWait(1000); // warm-up
        const Watch before = watchFor(window, 3000);
        state.counters["drawn_per_s_before"] = before.drawnPerSecond;
        state.counters["longest_gui_stall_ms_before"] = before.longestStallMs;

        ExportSettings settings;
        settings.frameCount = frames;
        settings.maxAngle = 360;
        const QString path = dir.filePath("live.csv");
        const auto delivered = window.framesDelivered();
        const auto drawn = window.drawing().framesDrawn();
        QElapsedTimer clock;
        double exportSeconds = 0;
        double longestStall = 0;
        {
            StallProbe probe;
            clock.start();
            if (!window.csvExport().startTo(path, settings)) {
                state.SkipWithError("the export file could not be opened");
                break;
            }
            if (!QTest::qWaitFor([&] { return !window.csvExport().active(); }, 60000)) {
                state.SkipWithError("the export did not end within a minute");
            }
            exportSeconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
            longestStall = probe.longestMs();
        }
        const auto drawnDuring = window.drawing().framesDrawn() - drawn;
        const auto deliveredDuring = window.framesDelivered() - delivered;
        QElapsedTimer drain;
        drain.start();
        window.csvExport().finish();
        state.counters["writer_done_after_last_frame_ms"] = static_cast<double>(drain.elapsed());
        state.SetIterationTime(exportSeconds);

        state.counters["frames_asked"] = frames;
        state.counters["frames_written"] = window.csvExport().framesWritten();
        state.counters["frames_delivered_during"] = static_cast<double>(deliveredDuring);
        state.counters["points_per_frame"] = static_cast<double>(window.lastFrameReceived().size());
        state.counters["file_MB"] = static_cast<double>(QFileInfo(path).size()) / 1e6;
        state.counters["longest_gui_stall_ms"] = longestStall;
        state.counters["drawn_per_s_during"] = static_cast<double>(drawnDuring) / exportSeconds;
        const Watch after = watchFor(window, 3000);
        state.counters["drawn_per_s_after"] = after.drawnPerSecond;
        state.counters["longest_gui_stall_ms_after"] = after.longestStallMs;
        state.counters["kernel_drops"] =
            static_cast<double>(window.liveReceiverThread().kernelDrops());
    }

    sim.terminate();
    if (!sim.waitForFinished(2000)) {
        sim.kill();
        sim.waitForFinished();
    }
    window.close();
}

} // namespace

int main(int argc, char** argv) {
    return runWindowBenchmarks(
        argc, argv,
        [](const std::string& arg) {
            std::string value;
            if (optionValue(arg, "frames", value)) {
                frames = std::stoi(value);
            } else if (optionValue(arg, "rate", value)) {
                rate = QString::fromStdString(value);
            } else if (optionValue(arg, "step", value)) {
                step = QString::fromStdString(value);
            } else {
                return false;
            }
            return true;
        },
        [] {
            benchmark::RegisterBenchmark("BM_LiveExport", BM_LiveExport)
                ->Iterations(1)
                ->UseManualTime()
                ->Unit(benchmark::kSecond);
            benchmark::AddCustomContext(
                "sender", ("sensor-sim --rate " + rate + " --step " + step).toStdString());
        });
}
