// Frame conversion without drawing: ns per point of a 300,000-point frame
// for each colour mode.
#include "lidar/FrameConverter.h"

#include <QStringList>
#include <benchmark/benchmark.h>
#include <random>

namespace {

MuchLidarData syntheticFrame(int points) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> distanceRaw(100 * 256, 20000 * 256);
    MuchLidarData frame;
    for (int i = 0; i < points; ++i) {
        const int channel = i % 128;
        const int azimuthRaw = (i / 128 * 20) % 36000;
        frame.append(channel, static_cast<float>(azimuthRaw) / 100.0f,
                     static_cast<float>(distanceRaw(random) / 256.0), (i * 7) % 256);
    }
    return frame;
}

// Converts a 300,000-point frame with `settings` (some points in the box,
// as with a selection) once per iteration.
void convertRepeatedly(benchmark::State& state, FrameSettings settings) {
    const int points = 300000;
    const MuchLidarData frame = syntheticFrame(points);
    const ChannelGeometry geometry;
    const FrameConverter converter(geometry);
    const ChannelSelection channels;
    settings.channels = &channels;
    settings.box = {-5, 5, -5, 5, -1, 1};
    FrameConversion out;
    for (auto _ : state) {
        converter.convert(frame, settings, out);
        benchmark::DoNotOptimize(out.shown->points.data());
    }
    state.SetItemsProcessed(state.iterations() * points);
    // Shown as seconds per point with an SI prefix (n = ns).
    state.counters["per_point"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * points,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ConvertFrame(benchmark::State& state) {
    FrameSettings settings;
    settings.colourMode = static_cast<int>(state.range(0));
    convertRepeatedly(state, settings);
    state.SetLabel(QStringList{"Intensity", "Solid", "Elevation", "Azimuth", "LaserID"}
                       .at(settings.colourMode)
                       .toStdString());
}

// The same frame placed by a pose, as with all sensors shown, coloured by
// intensity.
void BM_ConvertFramePlaced(benchmark::State& state) {
    FrameSettings settings;
    SensorPose pose;
    pose.values = {1.2, -0.4, 1.9, 0.5, -1.5, 90};
    settings.pose = PoseTransform(pose);
    convertRepeatedly(state, settings);
}

} // namespace

BENCHMARK(BM_ConvertFrame)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertFramePlaced)->Unit(benchmark::kMillisecond);
