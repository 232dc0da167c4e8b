// The range image of a 230,400-point frame (128 channels, 1800 steps of
// 0.2°, in the order the sensor sends them), per colour mode.
#include "lidar/RangeImage.h"

#include <QStringList>
#include <benchmark/benchmark.h>
#include <random>

namespace {

MuchLidarData sensorFrame() {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> distanceRaw(100 * 256, 20000 * 256);
    MuchLidarData frame;
    for (int step = 0; step < 1800; ++step) {
        for (int channel = 0; channel < 128; ++channel) {
            frame.append(channel, static_cast<float>(step * 20) / 100.0f,
                         static_cast<float>(distanceRaw(random) / 256.0), (step + channel) % 256);
        }
    }
    return frame;
}

void BM_BuildRangeImage(benchmark::State& state) {
    const MuchLidarData frame = sensorFrame();
    const ChannelGeometry geometry;
    const ChannelSelection channels;
    RangeImage image(geometry);
    const int mode = static_cast<int>(state.range(0));
    for (auto _ : state) {
        image.build(frame, &channels, mode);
        benchmark::DoNotOptimize(image.pixels().data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(frame.size()));
    state.counters["points"] = static_cast<double>(frame.size());
    state.SetLabel(QStringList{"Intensity", "Solid", "Elevation", "Azimuth", "LaserID"}
                       .at(mode)
                       .toStdString());
}

} // namespace

BENCHMARK(BM_BuildRangeImage)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
