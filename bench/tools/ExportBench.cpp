// lidar-export's capture mode end to end: one pass over the capture's
// records, cutting frames, building CSV rows and writing them, in MB of CSV
// written per second, to /dev/null (the work itself) and to a file in the
// temporary directory (with the page cache's cost).
//
// BM_ExportVsPcapLoop sets the same work against a plain libpcap read loop
// over the same cached file, run before each iteration: x_pcap_loop is the
// export's time as a multiple of the loop's, for channel 0 alone and for
// every channel. The runs with rows:0 write no row (no point lies in their
// azimuth window), so the difference to rows:1 is what building and
// formatting the rows costs.
//
// BM_FormatsVsPcapLoop does the same for every format of --format, into
// files in the temporary directory: points_per_s for the format, and
// pcap_loop_points_per_s, the same points over the libpcap loop's time.
//
//   export_bench [--capture=FILE] [--frames=N] [--sensors-mb=MB] [benchmark flags]
//
// BM_ExportSensors exports a capture of one sensor and one of four sensors of
// the same size (--sensors-mb=MB, default 64), written for it into the
// temporary folder and deleted at the end.
//
// Without --capture, N revolutions (default 20) of the simulator's scene at
// its default 0.2-degree step are written to a temporary capture and deleted
// at the end. For a capture of a given size:
//   capture_bench --write-capture=FILE --generate-mb=1024

#include "support/TestCaptureWriter.h"
#include "tools/export/CaptureExport.h"
#include "tools/export/CsvOutput.h"
#include "tools/sim/SensorSimulator.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <climits>
#include <ctime>
#include <iostream>
#include <optional>
#include <pcap/pcap.h>
#include <string>

namespace {

QString capturePath;

// Captures of one and of four sensors, of the same size (--sensors-mb).
QString oneSensorPath;
QString fourSensorsPath;
std::uint64_t sensorsCaptureBytes = 64ull << 20;

// Reads the capture once, so that the timed runs find it in the page cache.
void readIntoPageCache(const QString& path = capturePath) {
    static char buffer[1 << 16];
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        while (file.read(buffer, sizeof buffer) > 0) {
        }
    }
}

// The CSV bytes of every sensor's file.
double csvBytesOf(const SensorOutputs& outputs) {
    double bytes = 0;
    for (int o = 0; o < outputs.outputCount(); ++o) {
        bytes +=
            static_cast<double>(dynamic_cast<const CsvOutput&>(outputs.output(o)).bytesWritten());
    }
    return bytes;
}

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

// Exports `options.capture` into `output` as lidar-export does, quietly;
// a failure ends the benchmark with its message.
bool exportCapture(benchmark::State& state, const ExportOptions& options, SensorOutputs& output) {
    ProgressLine quiet(stderr, false);
    const QString failure = CaptureExport(options, output, quiet).run();
    if (!output.close() || !failure.isEmpty()) {
        state.SkipWithError(qPrintable(failure.isEmpty() ? output.error() : failure));
        return false;
    }
    return true;
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
        SensorOutputs file(options);
        if (!exportCapture(state, options, file)) {
            break;
        }
        csvBytes += csvBytesOf(file);
        frames += file.framesWritten();
        points += static_cast<double>(file.pointsWritten());
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

// Wall-clock and processor seconds; on a shared machine the processor time
// is the steadier measure of the work.
struct Stopwatch {
    std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
    double cpu = processorSeconds();

    static double processorSeconds() {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
    }
    double wallSeconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count();
    }
    double cpuSeconds() const { return processorSeconds() - cpu; }
};

struct Times {
    double wall = 0;
    double cpu = 0;
    void add(const Stopwatch& watch) {
        wall += watch.wallSeconds();
        cpu += watch.cpuSeconds();
    }
};

// Every record of the capture read with libpcap and nothing done with it.
void pcapLoop(Times& times, const QString& path = capturePath) {
    const Stopwatch watch;
    char error[PCAP_ERRBUF_SIZE] = {};
    pcap_t* handle = pcap_open_offline(QFile::encodeName(path).constData(), error);
    if (!handle) {
        return;
    }
    pcap_pkthdr* header = nullptr;
    const u_char* data = nullptr;
    std::uint64_t bytes = 0;
    while (pcap_next_ex(handle, &header, &data) == 1) {
        bytes += header->caplen;
    }
    benchmark::DoNotOptimize(bytes);
    pcap_close(handle);
    times.add(watch);
}

// Channel 0 alone (range 0 is 1) or every channel; rows written (range 1 is
// 1) or none, through an azimuth window that no point lies in.
CsvExportFilter filterOf(const benchmark::State& state) {
    CsvExportFilter filter;
    if (state.range(0) != 0) {
        filter.channels.fill(false);
        filter.channels[0] = true;
    }
    if (state.range(1) == 0) {
        filter.minAngle = -2;
        filter.maxAngle = -1;
    }
    return filter;
}

// lidar-export's work on the capture, timed against the libpcap loop, which
// runs untimed before each iteration so that both see the same load on the
// machine. Without rows it is everything but building and formatting them.
void BM_ExportVsPcapLoop(benchmark::State& state) {
    readIntoPageCache();
    Times loop;
    Times measured;
    double rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        pcapLoop(loop);
        state.ResumeTiming();
        const Stopwatch watch;
        ExportOptions options;
        options.capture = capturePath;
        options.output = QStringLiteral("/dev/null");
        options.filter = filterOf(state);
        SensorOutputs file(options);
        if (!exportCapture(state, options, file)) {
            return;
        }
        measured.add(watch);
        rows += static_cast<double>(file.pointsWritten());
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["x_pcap_loop"] = measured.wall / loop.wall;
    state.counters["x_pcap_loop_cpu"] = measured.cpu / loop.cpu;
    state.counters["pcap_loop_ms"] = loop.wall / n * 1e3;
    state.counters["rows_per_run"] = rows / n;
}
BENCHMARK(BM_ExportVsPcapLoop)
    ->ArgNames({"channel0_only", "rows"})
    ->Args({1, 1})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({0, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

// Each format of lidar-export (the range: csv, pcd, ply, las, mcap) over
// the whole capture into a fresh folder, against the libpcap loop as above.
void BM_FormatsVsPcapLoop(benchmark::State& state) {
    const auto format = static_cast<ExportOptions::Format>(state.range(0));
    readIntoPageCache();
    Times loop;
    Times measured;
    double points = 0;
    std::optional<QTemporaryDir> folder;
    for (auto _ : state) {
        state.PauseTiming();
        pcapLoop(loop);
        folder.reset(); // the last run's files
        folder.emplace();
        state.ResumeTiming();
        const Stopwatch watch;
        ExportOptions options;
        options.capture = capturePath;
        options.output = folder->filePath("frames");
        options.format = format;
        SensorOutputs output(options);
        if (!exportCapture(state, options, output)) {
            return;
        }
        measured.add(watch);
        points += static_cast<double>(output.pointsWritten());
    }
    folder.reset();
    const auto n = static_cast<double>(state.iterations());
    using benchmark::Counter;
    state.counters["points_per_s"] = points / measured.wall;
    state.counters["pcap_loop_points_per_s"] = points / loop.wall;
    state.counters["x_pcap_loop"] = measured.wall / loop.wall;
    state.counters["x_pcap_loop_cpu"] = measured.cpu / loop.cpu;
    state.counters["points_per_run"] = points / n;
}
BENCHMARK(BM_FormatsVsPcapLoop)
    ->ArgName("format")
    ->DenseRange(0, 4)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

// `bytes` of the street at the default step from `sensors` senders
// (10.0.0.2 on), their datagrams in turn, each sensor's revolutions whole.
bool writeSensorsCapture(const QString& path, int sensors, std::uint64_t bytes) {
    SensorSimulator simulator(SyntheticScene::street(), 20);
    std::vector<SensorSimulator::Payload> revolution;
    simulator.nextRevolution(revolution);
    TestCaptureWriter writer(path.toStdString(), {});
    const std::uint64_t records = bytes / (16 + 1248);
    for (std::uint64_t r = 0; r < records; ++r) {
        const auto sensor = static_cast<std::uint32_t>(r % static_cast<std::uint64_t>(sensors));
        const auto& payload =
            revolution[r / static_cast<std::uint64_t>(sensors) % revolution.size()];
        writer.writePayload(payload.data(), {0x0A000002 + sensor, 2368});
    }
    writer.close();
    return writer.ok();
}

// The whole capture of one sensor, and of four sensors of the same size,
// channel 0 written into CSV files (one per sensor) in a fresh folder,
// against the libpcap loop over the same file: what cutting each sensor on
// its own costs.
void BM_ExportSensors(benchmark::State& state) {
    const int sensors = static_cast<int>(state.range(0));
    QString& path = sensors == 1 ? oneSensorPath : fourSensorsPath;
    if (path.isEmpty()) {
        // Written when first wanted, removed at the end.
        path = QDir::temp().filePath(QStringLiteral("vantor-export-%1-sensors-%2.pcap")
                                         .arg(sensors)
                                         .arg(QCoreApplication::applicationPid()));
        if (!writeSensorsCapture(path, sensors, sensorsCaptureBytes)) {
            state.SkipWithError("cannot write the capture");
            return;
        }
    }
    readIntoPageCache(path);
    Times loop;
    Times measured;
    double frames = 0;
    std::optional<QTemporaryDir> folder;
    for (auto _ : state) {
        state.PauseTiming();
        pcapLoop(loop, path);
        folder.reset();
        folder.emplace();
        state.ResumeTiming();
        const Stopwatch watch;
        ExportOptions options;
        options.capture = path;
        options.output = folder->filePath("frames.csv");
        options.filter.channels.fill(false);
        options.filter.channels[0] = true;
        SensorOutputs output(options);
        if (!exportCapture(state, options, output)) {
            return;
        }
        measured.add(watch);
        frames += output.framesWritten();
        state.counters["outputs"] = output.outputCount();
    }
    folder.reset();
    const auto n = static_cast<double>(state.iterations());
    const double mb = static_cast<double>(QFile(path).size()) / 1e6;
    state.counters["capture_MB"] = mb;
    state.counters["capture_MB_per_s"] = mb * n / measured.wall;
    state.counters["capture_MB_per_cpu_s"] = mb * n / measured.cpu;
    state.counters["x_pcap_loop"] = measured.wall / loop.wall;
    state.counters["x_pcap_loop_cpu"] = measured.cpu / loop.cpu;
    state.counters["frames_per_run"] = frames / n;
}
BENCHMARK(BM_ExportSensors)
    ->ArgName("sensors")
    ->Arg(1)
    ->Arg(4)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
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
        } else if (arg.rfind("--sensors-mb=", 0) == 0) {
            sensorsCaptureBytes = std::stoull(arg.substr(13)) << 20;
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
    for (const QString& path : {oneSensorPath, fourSensorsPath}) {
        if (!path.isEmpty()) {
            QFile::remove(path);
        }
    }
    return 0;
}
