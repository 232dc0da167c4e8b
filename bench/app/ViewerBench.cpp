// Drawing a frame in the 3D view under the project's view set-up: updating
// the cloud in place versus removing and adding it again, and rendering, for
// 100k, 300k and 500k points in a 1280x720 view. Needs a display
// (xvfb-run -a -s "-screen 0 1920x1080x24" build/bench/viewer_bench).
#include "ViewBenchMain.h"

#include "app/CloudView.h"

#include <pcl/visualization/pcl_visualizer.h>
#include <random>
#include <vtkGenericOpenGLRenderWindow.h>

namespace {

BenchView bench;

CloudView::Cloud::Ptr randomCloud(std::int64_t points, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> position(-50, 50);
    std::uniform_int_distribution<int> colour(0, 255);
    CloudView::Cloud::Ptr cloud(new CloudView::Cloud);
    cloud->reserve(static_cast<std::size_t>(points));
    for (std::int64_t i = 0; i < points; ++i) {
        pcl::PointXYZRGB p;
        p.x = position(random);
        p.y = position(random);
        p.z = position(random) / 10;
        p.r = static_cast<std::uint8_t>(colour(random));
        p.g = static_cast<std::uint8_t>(colour(random));
        p.b = static_cast<std::uint8_t>(colour(random));
        cloud->push_back(p);
    }
    return cloud;
}

void renderAndWait() {
    bench.screen->renderWindow()->Render();
    bench.screen->renderWindow()->WaitForCompletion();
}

// Two clouds alternate so every call carries new data.
struct Clouds {
    explicit Clouds(std::int64_t n) : a(randomCloud(n, 1)), b(randomCloud(n, 2)) {}
    CloudView::Cloud::ConstPtr next() { return (flip = !flip) ? a : b; }
    CloudView::Cloud::Ptr a, b;
    bool flip = false;
};

void setPointsCounter(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["points"] = static_cast<double>(state.range(0));
}

void BM_UpdateInPlace(benchmark::State& state) {
    Clouds clouds(state.range(0));
    auto& viewer = *bench.view->viewer();
    viewer.removeAllPointClouds();
    const pcl::visualization::PointCloudColorHandlerRGBField<pcl::PointXYZRGB> own(clouds.a);
    viewer.addPointCloud<pcl::PointXYZRGB>(clouds.a, own, CloudView::kFrameCloudId);
    for (auto _ : state) {
        viewer.updatePointCloud(clouds.next(), CloudView::kFrameCloudId);
    }
    setPointsCounter(state);
}

void BM_RemoveAndAdd(benchmark::State& state) {
    Clouds clouds(state.range(0));
    auto& viewer = *bench.view->viewer();
    viewer.removeAllPointClouds();
    for (auto _ : state) {
        const auto cloud = clouds.next();
        const pcl::visualization::PointCloudColorHandlerRGBField<pcl::PointXYZRGB> own(cloud);
        viewer.removePointCloud(CloudView::kFrameCloudId);
        viewer.addPointCloud<pcl::PointXYZRGB>(cloud, own, CloudView::kFrameCloudId);
    }
    setPointsCounter(state);
}

void BM_Render(benchmark::State& state) {
    Clouds clouds(state.range(0));
    auto& viewer = *bench.view->viewer();
    viewer.removeAllPointClouds();
    bench.view->drawFrame(clouds.a, CloudView::Cloud::ConstPtr(new CloudView::Cloud));
    viewer.resetCamera();
    renderAndWait();
    for (auto _ : state) {
        renderAndWait();
    }
    setPointsCounter(state);
}

// What a frame costs the window's view: both clouds updated, then rendered.
void BM_DrawFrame(benchmark::State& state) {
    Clouds clouds(state.range(0));
    const CloudView::Cloud::ConstPtr none(new CloudView::Cloud);
    bench.view->viewer()->removeAllPointClouds();
    bench.view->drawFrame(clouds.a, none);
    bench.view->viewer()->resetCamera();
    for (auto _ : state) {
        bench.view->drawFrame(clouds.next(), none);
        bench.screen->renderWindow()->WaitForCompletion();
    }
    setPointsCounter(state);
}

} // namespace

BENCHMARK(BM_UpdateInPlace)->Arg(100000)->Arg(300000)->Arg(500000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemoveAndAdd)->Arg(100000)->Arg(300000)->Arg(500000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Render)->Arg(100000)->Arg(300000)->Arg(500000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrawFrame)->Arg(100000)->Arg(300000)->Arg(500000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return runViewBenchmarks(argc, argv, bench);
}
