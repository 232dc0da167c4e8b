// Recording sensor-sim's traffic on loopback with the viewer's recorder:
// datagrams sent versus packets in the file, and the frames the kernel
// dropped because the capture buffer was full (pcap_stats). sensor-sim runs
// as its own process, as a user would run it.
//
// Capturing needs root or CAP_NET_RAW; run it in a namespace of its own so
// that nothing else shares loopback:
//   unshare -n bash -c 'ip link set lo up; build/bench/record_bench'
// VANTOR_BENCH_SECONDS shortens the 10-second runs.

#include "capture/CaptureRecorder.h"
#include "capture/LiveCapture.h"
#include "net/UdpSocket.h"
#include "tools/sim/SensorSimulator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>
#include <ctime>

namespace {

double runSeconds() {
    bool ok = false;
    const double s = qEnvironmentVariable("VANTOR_BENCH_SECONDS").toDouble(&ok);
    return ok && s > 0 ? s : 10.0;
}

// Datagrams in one revolution at sensor-sim's default step.
double datagramsPerRevolution() {
    std::vector<SensorSimulator::Payload> payloads;
    SensorSimulator(SyntheticScene::street(), 20).nextRevolution(payloads);
    return static_cast<double>(payloads.size());
}

void BM_RecordSimulatedSensor(benchmark::State& state) {
    const double rate = static_cast<double>(state.range(0));
    const double seconds = runSeconds();
    QString error;
    if (LiveCapture::open("lo", CaptureRecorder::kReadTimeout, &error) == nullptr) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    for (auto _ : state) {
        UdpSocket data;
        UdpSocket device;
        data.bindAny(0);
        device.bindAny(0);
        QTemporaryDir dir;
        const QString path = dir.filePath("recorded.pcap");
        CaptureRecorder recorder;
        QString recorderError;
        QObject::connect(
            &recorder, &CaptureRecorder::SendError, &recorder,
            [&](const QString& text) { recorderError = text; }, Qt::DirectConnection);
        recorder.adapter = "lo";
        recorder.captureFilter = "port " + std::to_string(data.localPort());
        recorder.recordPath = QFile::encodeName(path);
        recorder.start();
        while (!recorder.fileCreated() && !recorder.isFinished()) {
            QThread::msleep(1);
        }
        if (!recorder.fileCreated()) {
            state.SkipWithError(qPrintable(recorderError));
            return;
        }

        const std::clock_t cpuBefore = std::clock();
        QProcess sim;
        sim.start(QCoreApplication::applicationDirPath() + "/../bin/sensor-sim",
                  {"--port", QString::number(data.localPort()), "--equipment-port",
                   QString::number(device.localPort()), "--rate",
                   QString::number(rate / datagramsPerRevolution(), 'f', 4), "--seconds",
                   QString::number(seconds)});
        sim.waitForFinished(static_cast<int>(seconds * 1000) + 60000);
        const QString said = QString::fromLocal8Bit(sim.readAllStandardOutput());
        const QRegularExpressionMatch sent =
            QRegularExpression(R"(sent \d+ frames in (\d+) datagrams)").match(said);
        if (!sent.hasMatch()) {
            state.SkipWithError(qPrintable("sensor-sim did not say what it sent: " + said +
                                           sim.readAllStandardError()));
            return;
        }
        // The last frames reach the file within a read time-out or two.
        std::uint64_t written = 0;
        do {
            written = recorder.packetsWritten();
            QThread::msleep(300);
        } while (recorder.packetsWritten() != written);
        recorder.stop = true;
        recorder.wait();
        // This process is the recorder: its processor time per second of traffic.
        const double cpu = static_cast<double>(std::clock() - cpuBefore) / CLOCKS_PER_SEC;

        const double sentCount = sent.captured(1).toDouble();
        state.counters["sent"] = sentCount;
        state.counters["in_file"] = static_cast<double>(recorder.packetsWritten());
        state.counters["missing"] = sentCount - static_cast<double>(recorder.packetsWritten());
        state.counters["kernel_drops"] = static_cast<double>(recorder.kernelDrops());
        state.counters["sent_per_s"] = sentCount / seconds;
        state.counters["recorder_cpu_share"] = cpu / seconds;
        state.counters["file_MB"] = static_cast<double>(QFile(path).size()) / 1e6;
        if (!recorderError.isEmpty()) {
            state.SetLabel(recorderError.toStdString());
        }
    }
}
BENCHMARK(BM_RecordSimulatedSensor)
    ->Arg(10000)
    ->Arg(30000)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
