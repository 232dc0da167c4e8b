// End to end: the main window receives frames on loopback and draws them;
// reports frames received, drawn and skipped per second.
//
//   xvfb-run -a -s "-screen 0 1920x1080x24" build/bench/live_draw_bench [--seconds=N]
//       [--sender='COMMAND']
//
// Without --sender a built-in sender streams 10 Hz frames of 230,400 points
// (128 channels x 1800 azimuths) to 127.0.0.1. With --sender that program
// is run instead (split like a shell would, no shell features), with every
// "{port}" replaced by the window's data port, e.g.
// --sender='build/bin/sensor-sim --port {port}'.
#include "LiveSender.h"
#include "LiveWindow.h"
#include "WindowBenchMain.h"
#include "app/manwindow.h"
#include "lidar/GetMuch.h"
#include "net/UdpSocket.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QTest>
#include <QToolButton>
#include <benchmark/benchmark.h>
#include <memory>
#include <string>

namespace {

int seconds = 10;
QString senderCommand;

void BM_LiveDraw(benchmark::State& state) {
    manwindow window;
    window.show();
    const int port = LiveSender::freePort();
    if (!startLive(window, port)) {
        state.SkipWithError("no display, or the ports could not be bound");
        return;
    }

    std::unique_ptr<LiveSender> builtIn;
    QProcess external;
    if (senderCommand.isEmpty()) {
        builtIn = std::make_unique<LiveSender>(port, 230400, 10);
    } else {
        QStringList arguments = QProcess::splitCommand(senderCommand);
        arguments.replaceInStrings(QStringLiteral("{port}"), QString::number(port));
        const QString program = arguments.takeFirst();
        external.setProcessChannelMode(QProcess::ForwardedChannels);
        external.start(program, arguments);
        if (!external.waitForStarted()) {
            state.SkipWithError("the sender could not be started");
            return;
        }
    }

    for (auto _ : state) {
        QTest::qWait(1000); // warm-up
        const GetMuch& receiver = window.liveReceiverThread();
        const DrawRates rates(window);
        const auto points0 = window.lastFrameReceived().size();
        QTest::qWait(seconds * 1000);
        rates.report(state);
        state.counters["points_per_frame"] =
            static_cast<double>(std::max(points0, window.lastFrameReceived().size()));
        state.counters["kernel_drops"] = static_cast<double>(receiver.kernelDrops());
        const QWidget* view = window.findChild<QWidget*>("screen");
        state.counters["view_width"] = view->width();
        state.counters["view_height"] = view->height();
    }

    builtIn.reset();
    if (external.state() != QProcess::NotRunning) {
        external.terminate();
        if (!external.waitForFinished(2000)) {
            external.kill();
            external.waitForFinished();
        }
    }
    window.close();
}

} // namespace

int main(int argc, char** argv) {
    return runWindowBenchmarks(
        argc, argv, seconds,
        [](const std::string& arg) {
            std::string value;
            if (!optionValue(arg, "sender", value)) {
                return false;
            }
            senderCommand = QString::fromStdString(value);
            return true;
        },
        [] {
            benchmark::RegisterBenchmark("BM_LiveDraw", BM_LiveDraw)
                ->Iterations(1)
                ->UseManualTime()
                ->Unit(benchmark::kSecond);
            benchmark::AddCustomContext("sender", senderCommand.isEmpty()
                                                      ? "built-in, 10 Hz x 230400 points"
                                                      : senderCommand.toStdString());
        });
}
