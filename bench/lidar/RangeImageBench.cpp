// The range image of a frame, per colour mode: sensor-sim's street at 0.2°
// (a firing that hits nothing sends no point), and a 230,400-point frame
// where every one of the 128 channels x 1800 steps returns, at random
// distances and intensities.
#include "lidar/RangeImage.h"
#include "tools/sim/SensorSimulator.h"

#include <QStringList>
#include <benchmark/benchmark.h>
#include <random>

namespace {

MuchLidarData fullFrame() {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> distanceRaw(100 * 256, 20000 * 256);
    std::uniform_int_distribution<int> intensity(0, 255);
    MuchLidarData frame;
    for (int step = 0; step < 1800; ++step) {
        for (int channel = 0; channel < 128; ++channel) {
            frame.append(channel, static_cast<float>(step * 20) / 100.0f,
                         static_cast<float>(distanceRaw(random) / 256.0), intensity(random));
        }
    }
    return frame;
}

void buildRangeImages(benchmark::State& state, const MuchLidarData& frame) {
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

void BM_StreetFrame(benchmark::State& state) {
    static const MuchLidarData frame =
        SensorSimulator::revolutionFrame(SyntheticScene::street(), 20);
    buildRangeImages(state, frame);
}

void BM_FullFrame(benchmark::State& state) {
    static const MuchLidarData frame = fullFrame();
    buildRangeImages(state, frame);
}

} // namespace

BENCHMARK(BM_StreetFrame)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullFrame)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
