// Decoding and export costs per point, on the frames sensor-sim sends.

#include "lidar/ChannelGeometry.h"
#include "lidar/CsvRowWriter.h"
#include "lidar/FrameCutter.h"
#include "tools/sim/SensorSimulator.h"

#include <benchmark/benchmark.h>
#include <ctime>

namespace {

// One revolution at the default 0.2-degree step, closed by the next marker.
struct Revolution {
    std::vector<SensorSimulator::Payload> payloads;
    MuchLidarData frame;

    Revolution() {
        SensorSimulator simulator(SyntheticScene::street(), 20);
        simulator.nextRevolution(payloads);
        simulator.finish(payloads);
        FrameCutter cutter;
        for (const auto& p : payloads) {
            cutter.feed(p.data(), [&](const MuchLidarData& f) { frame = f; });
        }
    }
};

const Revolution& revolution() {
    static const Revolution r;
    return r;
}

double threadCpuNanoseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

// Runs the loop body over `points` points per iteration and reports the
// processor time per point alongside the points per second.
template <class Body>
void perPoint(benchmark::State& state, std::size_t points, Body&& body) {
    const double start = threadCpuNanoseconds();
    for (auto _ : state) {
        body();
    }
    const double elapsed = threadCpuNanoseconds() - start;
    const double total = static_cast<double>(state.iterations()) * static_cast<double>(points);
    state.SetItemsProcessed(static_cast<std::int64_t>(total));
    state.counters["ns_per_point"] = elapsed / total;
}

// Payloads to frame records through the frame cutter, as every receiver
// does it: the live receiver's work per datagram minus the socket.
void BM_DecodePayloadsIntoFrames(benchmark::State& state) {
    const Revolution& r = revolution();
    FrameCutter cutter;
    const std::size_t points = r.frame.size();
    perPoint(state, points, [&] {
        for (const auto& p : r.payloads) {
            cutter.feed(p.data(), [&](const MuchLidarData& f) {
                benchmark::DoNotOptimize(f.laserIds.data());
            });
        }
        // The closing marker opened the next frame; start each round alike.
        cutter.reset(0);
    });
    state.counters["datagrams_per_s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * r.payloads.size()), benchmark::Counter::kIsRate);
    state.SetLabel(std::to_string(r.payloads.size()) + " datagrams, " + std::to_string(points) +
                   " points per frame");
}
BENCHMARK(BM_DecodePayloadsIntoFrames)->Unit(benchmark::kMillisecond);

// Channel, azimuth and distance to x, y, z for every point of a frame.
void BM_PointGeometry(benchmark::State& state) {
    const MuchLidarData& f = revolution().frame;
    const ChannelGeometry geometry;
    perPoint(state, f.size(), [&] {
        float sum = 0;
        for (std::size_t i = 0; i < f.size(); ++i) {
            sum += geometry.point(f.laserIds[i], f.azimuths[i], f.distances[i]).z;
        }
        benchmark::DoNotOptimize(sum);
    });
    state.SetLabel(std::to_string(f.size()) + " points");
}
BENCHMARK(BM_PointGeometry)->Unit(benchmark::kMillisecond);

// A frame's CSV rows, numbers formatted and all.
void BM_CsvRowsOfAFrame(benchmark::State& state) {
    const MuchLidarData& f = revolution().frame;
    const ChannelGeometry geometry;
    CsvRowWriter writer(geometry, CsvRowWriter::Layout::MultiFrame);
    const CsvExportFilter all;
    std::string text;
    perPoint(state, f.size(), [&] {
        text.clear();
        writer.appendFrame(text, f, all, 1);
        benchmark::DoNotOptimize(text.data());
    });
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
    state.SetLabel(std::to_string(f.size()) + " rows, " + std::to_string(text.size() >> 20) +
                   " MiB per frame");
}
BENCHMARK(BM_CsvRowsOfAFrame)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
