// lidar-export's capture mode end to end: indexing the capture, cutting
// frames, building CSV rows and writing them, in MB of CSV written per
// second, to /dev/null (the work itself) and to a file in the temporary
// directory (with the page cache's cost).
//
//   export_bench [--capture=FILE] [--frames=N] [benchmark flags]
//
// Without --capture, N revolutions (default 20) of the simulator's scene at
// its default 0.2-degree step are written to a temporary capture and deleted
// at the end.

#include "support/TestCaptureWriter.h"
#include "tools/export/CaptureExport.h"
#include "tools/sim/SensorSimulator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>
#include <climits>
#include <iostream>
#include <string>

namespace {

QString capturePath;

bool writeCapture(const QString& path, int revolutions) {
    SensorSimulator simulator(SyntheticScene::street(), 20);
    TestCaptureWriter writer(path.toStdString(), {});
    std::vector<SensorSimulator::Payload> payloads;
    for (int r = 0; r <= revolutions; ++r) {
        payloads.clear();
        if (r < revolutions) {
            simulator.nextRevolution(payloads);
        } else {
            simulator.finish(payloads);
        }
        for (const auto& p : payloads) {
            writer.writePayload(p.data());
        }
    }
    writer.close();
    return writer.ok();
}

void BM_ExportCapture(benchmark::State& state) {
    const bool toFile = state.range(0) != 0;
    const QString output =
        toFile ? QDir::temp().filePath(
                     QStringLiteral("vantor-export-%1.csv").arg(QCoreApplication::applicationPid()))
               : QStringLiteral("/dev/null");
    const double captureBytes = static_cast<double>(QFile(capturePath).size());
    double csvBytes = 0;
    double frames = 0;
    double points = 0;
    for (auto _ : state) {
        ExportOptions options;
        options.capture = capturePath;
        options.output = output;
        CsvExportFile file(options.filter, INT_MAX);
        ProgressLine quiet(stderr, false);
        const QString failure = CaptureExport(options, file, quiet).run();
        if (!file.close() || !failure.isEmpty()) {
            state.SkipWithError(qPrintable(failure.isEmpty() ? file.error() : failure));
            break;
        }
        csvBytes += static_cast<double>(file.bytesWritten());
        frames += file.framesWritten();
        points += static_cast<double>(file.rowsWritten());
    }
    if (toFile) {
        QFile::remove(output);
    }
    using benchmark::Counter;
    state.counters["csv_MB_per_s"] = Counter(csvBytes / 1e6, Counter::kIsRate);
    state.counters["capture_MB_per_s"] =
        Counter(captureBytes * static_cast<double>(state.iterations()) / 1e6, Counter::kIsRate);
    state.counters["frames_per_s"] = Counter(frames, Counter::kIsRate);
    state.counters["points_per_s"] = Counter(points, Counter::kIsRate);
    state.counters["csv_MB_per_run"] = csvBytes / 1e6 / static_cast<double>(state.iterations());
}

BENCHMARK(BM_ExportCapture)
    ->ArgName("to_file")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int revolutions = 20;
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--capture=", 0) == 0) {
            capturePath = QString::fromStdString(arg.substr(10));
        } else if (arg.rfind("--frames=", 0) == 0) {
            revolutions = std::stoi(arg.substr(9));
        } else {
            rest.push_back(argv[i]);
        }
    }
    const bool generated = capturePath.isEmpty();
    if (generated) {
        capturePath = QDir::temp().filePath(
            QStringLiteral("vantor-export-%1.pcap").arg(QCoreApplication::applicationPid()));
        if (!writeCapture(capturePath, revolutions)) {
            std::cerr << "Cannot write " << capturePath.toStdString() << "\n";
            QFile::remove(capturePath);
            return 1;
        }
    }
    std::cerr << "Capture: " << capturePath.toStdString() << ", "
              << QFile(capturePath).size() / 1000000 << " MB\n";
    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (generated) {
        QFile::remove(capturePath);
    }
    return 0;
}
