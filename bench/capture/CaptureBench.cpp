// Opening and indexing a capture next to a plain libpcap read loop over the
// same file, reading every packet as playing forward and backward does, seek
// latency and the fastest playback rate.
//
//   capture_bench [--capture=FILE] [--generate-mb=N] [benchmark flags]
//   capture_bench --write-capture=FILE [--generate-mb=N]
//
// Without --capture (or VANTOR_BENCH_CAPTURE) a capture of N MiB (default
// 256) of sensor-like traffic is written to the temporary directory and
// deleted at the end; --write-capture only writes one and keeps it. "cold"
// runs first drop the file's pages from the page cache (posix_fadvise), so
// they read from the disk; warm runs read the file once before timing.

#include "capture/CaptureFile.h"
#include "capture/CapturePacketReader.h"
#include "capture/LinkLayer.h"
#include "capture/ReadLiveOffData.h"
#include "lidar/DataPacketWriter.h"
#include "support/TestCaptureWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <pcap/pcap.h>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

QString capturePath;

// Fields of /proc/self/status in MiB: VmHWM (peak resident), VmRSS,
// RssAnon (heap and stacks), RssFile (mapped file pages; captures are read,
// not mapped, so opening one adds none).
std::map<std::string, double> memoryStatus() {
    std::map<std::string, double> fields;
    std::ifstream status("/proc/self/status");
    std::string name;
    double kib = 0;
    std::string unit;
    while (status >> name) {
        if (name == "VmHWM:" || name == "VmRSS:" || name == "RssAnon:" || name == "RssFile:") {
            status >> kib >> unit;
            fields[name.substr(0, name.size() - 1)] = kib / 1024;
        } else {
            status.ignore(1 << 20, '\n');
        }
    }
    return fields;
}

// Makes VmHWM start again from the current resident size.
void resetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Reads the file once, so that a warm run finds it in the page cache. The
// buffer is static so that no freed heap is left for the measured run.
void readIntoPageCache(const QString& path) {
    static char buffer[1 << 16];
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        while (file.read(buffer, sizeof buffer) > 0) {
        }
    }
}

void dropFromPageCache(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd >= 0) {
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

// Peak resident size, and what an opened file added to the anonymous and
// the file-backed resident pages; the largest over the iterations (the
// allocator keeps freed memory for the next one).
struct MemoryFigures {
    double peak = 0;
    double anonAdded = 0;
    double fileAdded = 0;

    void add(const std::map<std::string, double>& before,
             const std::map<std::string, double>& after) {
        peak = std::max(peak, after.at("VmHWM"));
        anonAdded = std::max(anonAdded, after.at("RssAnon") - before.at("RssAnon"));
        fileAdded = std::max(fileAdded, after.at("RssFile") - before.at("RssFile"));
    }
    void report(benchmark::State& state) const {
        state.counters["peak_rss_MiB"] = peak;
        state.counters["anon_added_MiB"] = anonAdded;
        state.counters["file_added_MiB"] = fileAdded;
    }
};

void BM_OpenAndIndex(benchmark::State& state) {
    const bool cold = state.range(0) != 0;
    const auto size = static_cast<std::int64_t>(QFile(capturePath).size());
    MemoryFigures memory;
    int packets = 0;
    int frames = 0;
    if (!cold) {
        readIntoPageCache(capturePath);
    }
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            dropFromPageCache(capturePath);
            state.ResumeTiming();
        }
        resetPeakResident();
        const auto before = memoryStatus();
        QString error;
        auto capture = CaptureFile::open(capturePath, &error);
        if (!capture) {
            state.SkipWithError(error.toStdString().c_str());
            return;
        }
        packets = capture->capturePacketCount();
        frames = capture->captureFrameCount();
        // Taken while the capture is open: its index and the touched pages.
        memory.add(before, memoryStatus());
        state.PauseTiming();
        capture.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(size * static_cast<std::int64_t>(state.iterations()));
    state.counters["packets"] = packets;
    state.counters["frames"] = frames;
    memory.report(state);
}

void BM_PcapNextExLoop(benchmark::State& state) {
    const bool cold = state.range(0) != 0;
    const auto size = static_cast<std::int64_t>(QFile(capturePath).size());
    MemoryFigures memory;
    std::uint64_t records = 0;
    if (!cold) {
        readIntoPageCache(capturePath);
    }
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            dropFromPageCache(capturePath);
            state.ResumeTiming();
        }
        resetPeakResident();
        const auto before = memoryStatus();
        char error[PCAP_ERRBUF_SIZE] = {};
        pcap_t* handle = pcap_open_offline(QFile::encodeName(capturePath).constData(), error);
        if (!handle) {
            state.SkipWithError(error);
            return;
        }
        pcap_pkthdr* header = nullptr;
        const u_char* data = nullptr;
        records = 0;
        std::uint64_t bytes = 0;
        while (pcap_next_ex(handle, &header, &data) == 1) {
            ++records;
            bytes += header->caplen;
        }
        benchmark::DoNotOptimize(bytes);
        memory.add(before, memoryStatus());
        pcap_close(handle);
    }
    state.SetBytesProcessed(size * static_cast<std::int64_t>(state.iterations()));
    state.counters["records"] = static_cast<double>(records);
    memory.report(state);
}

// Every data packet through the reader the player and lidar-export use,
// from the page cache: forward (0) or backward (1).
void BM_ReadEveryPacket(benchmark::State& state) {
    const bool backward = state.range(0) != 0;
    QString error;
    const auto capture = CaptureFile::open(capturePath, &error);
    if (!capture) {
        state.SkipWithError(error.toStdString().c_str());
        return;
    }
    readIntoPageCache(capturePath);
    const int count = capture->capturePacketCount();
    for (auto _ : state) {
        CapturePacketReader reader(*capture);
        std::uint64_t sum = 0;
        for (int i = 0; i < count; ++i) {
            const std::uint8_t* p = reader.packet(backward ? count - 1 - i : i);
            sum += p ? p[0] : 0;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * count *
                            static_cast<std::int64_t>(DataPacket::kSize));
    state.counters["packets_per_s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * count, benchmark::Counter::kIsRate);
}

// Collects the frames a player emits, on the player's thread.
struct FrameWaiter {
    std::mutex mutex;
    std::condition_variable arrived;
    std::uint64_t count = 0;
    std::size_t lastPoints = 0;

    void connect(ReadLiveOffData& player) {
        QObject::connect(
            &player, &ReadLiveOffData::SendData, &player,
            [this](const MuchLidarData& frame) {
                {
                    std::lock_guard<std::mutex> lock(mutex);
                    ++count;
                    lastPoints = frame.size();
                }
                arrived.notify_all();
            },
            Qt::DirectConnection);
    }
    void waitFor(std::uint64_t n) {
        std::unique_lock<std::mutex> lock(mutex);
        arrived.wait(lock, [&] { return count >= n; });
    }
};

void BM_SeekToRandomFrame(benchmark::State& state) {
    QString error;
    const auto capture = CaptureFile::open(capturePath, &error);
    if (!capture || capture->captureFrameCount() < 2) {
        state.SkipWithError("capture without frames");
        return;
    }
    ReadLiveOffData player;
    FrameWaiter waiter;
    waiter.connect(player);
    player.setCapture(capture);
    player.playback.speedIndex = 2;
    player.playback.pauseAfterFrame = 1;
    player.start();
    waiter.waitFor(1);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pick(0, capture->captureFrameCount() - 1);
    std::uint64_t shown = 1;
    for (auto _ : state) {
        // Past the pacing delay of the frame shown before.
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        const auto start = std::chrono::steady_clock::now();
        player.showFrameAndPause(pick(random));
        waiter.waitFor(++shown);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["points_per_frame"] = static_cast<double>(waiter.lastPoints);
    player.stopAndWait();
}

void BM_PlayAtTheFastestSpeed(benchmark::State& state) {
    QString error;
    const auto capture = CaptureFile::open(capturePath, &error);
    if (!capture || capture->captureFrameCount() < 2) {
        state.SkipWithError("capture without frames");
        return;
    }
    const std::uint64_t framesPerRun =
        std::min<std::uint64_t>(40, static_cast<std::uint64_t>(capture->captureFrameCount()));
    std::uint64_t frames = 0;
    for (auto _ : state) {
        ReadLiveOffData player;
        FrameWaiter waiter;
        waiter.connect(player);
        player.setCapture(capture);
        player.playback.speedIndex = 2; // 25 ms, the shortest delay
        player.start();
        waiter.waitFor(framesPerRun);
        frames += framesPerRun;
        player.stopAndWait();
    }
    state.counters["frames_per_s"] =
        benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_OpenAndIndex)
    ->ArgName("cold")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK(BM_PcapNextExLoop)
    ->ArgName("cold")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK(BM_ReadEveryPacket)
    ->ArgName("backward")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_SeekToRandomFrame)->Unit(benchmark::kMillisecond)->Iterations(50)->UseManualTime();
BENCHMARK(BM_PlayAtTheFastestSpeed)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

// Sensor-like traffic: 128 channels every 0.2 degrees, one marker per
// revolution, a device-information packet every ten revolutions.
bool writeCapture(const QString& path, std::uint64_t megabytes) {
    TestCaptureWriter writer(path.toStdString(), {});
    std::vector<std::uint8_t> deviceInfo(DataPacket::kSize, 0);
    deviceInfo[0] = 0xA5;
    deviceInfo[1] = 0xFF;
    const auto deviceFrame =
        TestCaptureWriter::frame(TestCaptureWriter::Link::Ethernet, deviceInfo.data());
    std::uint64_t written = 24;
    DataPacketWriter packets([&](const DataPacketWriter::Payload& p) {
        writer.writePayload(p.data());
        written += 16 + LinkLayer::kEthernetDataFrame;
    });
    const std::uint64_t target = megabytes << 20;
    for (std::uint32_t revolution = 0; written < target; ++revolution) {
        for (std::uint16_t azimuth = 0; azimuth < 36000; azimuth += 20) {
            for (std::uint8_t channel = 0; channel < 128; ++channel) {
                const std::uint32_t distance = 256u * (500 + (channel * 37 + azimuth) % 20000);
                packets.addPoint(channel, azimuth, distance,
                                 static_cast<std::uint8_t>(channel + revolution));
            }
        }
        packets.addMarker();
        if (revolution % 10 == 0) {
            writer.writeRecord(deviceFrame);
        }
    }
    packets.flush();
    writer.close();
    return writer.ok();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::uint64_t generateMb = 256;
    QString writeOnly;
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--capture=", 0) == 0) {
            capturePath = QString::fromStdString(arg.substr(10));
        } else if (arg.rfind("--write-capture=", 0) == 0) {
            writeOnly = QString::fromStdString(arg.substr(16));
        } else if (arg.rfind("--generate-mb=", 0) == 0) {
            generateMb = std::stoull(arg.substr(14));
        } else {
            rest.push_back(argv[i]);
        }
    }
    if (!writeOnly.isEmpty()) {
        return writeCapture(writeOnly, generateMb) ? 0 : 1;
    }
    if (capturePath.isEmpty()) {
        capturePath = qEnvironmentVariable("VANTOR_BENCH_CAPTURE");
    }
    const bool generated = capturePath.isEmpty();
    if (generated) {
        capturePath = QDir::temp().filePath(
            QStringLiteral("vantor-bench-%1.pcap").arg(QCoreApplication::applicationPid()));
        std::cerr << "Writing " << generateMb << " MiB to " << capturePath.toStdString() << "\n";
        if (!writeCapture(capturePath, generateMb)) {
            std::cerr << "Cannot write " << capturePath.toStdString() << "\n";
            QFile::remove(capturePath);
            return 1;
        }
    }
    std::cerr << "Capture: " << capturePath.toStdString() << ", "
              << QFile(capturePath).size() / (1 << 20) << " MiB\n";

    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (generated) {
        QFile::remove(capturePath);
    }
    return 0;
}
