// What a frame trail costs a drawn frame: the frame on screen joins the
// trail, the next one is drawn and rendered, for trails of 1, 5 and 10
// frames of 180,000 points in a 1280x720 view; points_drawn counts the
// points of every cloud on screen (the older frames are thinned). Needs a display
// (xvfb-run -a -s "-screen 0 1920x1080x24" build/bench/trail_bench).
#include "ViewBenchMain.h"

#include "app/CloudView.h"
#include "app/TrailView.h"

#include <pcl/visualization/pcl_visualizer.h>
#include <random>
#include <vtkDataSet.h>
#include <vtkGenericOpenGLRenderWindow.h>
#include <vtkMapper.h>

namespace {

constexpr int kPoints = 180000;

BenchView bench;

// A street-sized ring of points around the sensor, a little turned per frame
// as a moving sensor would see it.
CloudView::Cloud::Ptr frameCloud(unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> range(5, 60);
    std::uniform_real_distribution<float> angle(0, 6.2831853f);
    std::uniform_real_distribution<float> height(-2, 6);
    CloudView::Cloud::Ptr cloud(new CloudView::Cloud);
    cloud->reserve(kPoints);
    for (int i = 0; i < kPoints; ++i) {
        pcl::PointXYZRGB p;
        const float r = range(random);
        const float a = angle(random);
        p.x = r * std::cos(a);
        p.y = r * std::sin(a);
        p.z = height(random);
        p.r = static_cast<std::uint8_t>(i % 256);
        p.g = 255;
        p.b = static_cast<std::uint8_t>(255 - i % 256);
        cloud->push_back(p);
    }
    return cloud;
}

void BM_DrawWithTrail(benchmark::State& state) {
    std::vector<CloudView::Cloud::Ptr> frames;
    for (unsigned k = 0; k < 12; ++k) {
        frames.push_back(frameCloud(k + 1));
    }
    const CloudView::Cloud::ConstPtr none(new CloudView::Cloud);
    bench.view->clearAll();
    TrailView trail(*bench.view);
    trail.setLength(static_cast<int>(state.range(0)));
    std::size_t next = 0;
    const auto drawNext = [&] {
        trail.keepShown(frames[next]);
        next = (next + 1) % frames.size();
        bench.view->drawFrame(frames[next], none);
        bench.screen->renderWindow()->WaitForCompletion();
    };
    bench.view->drawFrame(frames[0], none);
    bench.view->viewer()->resetCamera();
    for (int i = 0; i < 12; ++i) { // the trail full before timing
        drawNext();
    }
    for (auto _ : state) {
        drawNext();
    }
    double drawn = 0;
    for (const auto& [id, cloud] : *bench.view->viewer()->getCloudActorMap()) {
        drawn += static_cast<double>(cloud.actor->GetMapper()->GetInput()->GetNumberOfPoints());
    }
    trail.clear();
    state.counters["trail"] = static_cast<double>(state.range(0));
    state.counters["points_drawn"] = drawn;
    state.counters["frame_points"] = kPoints;
}

} // namespace

BENCHMARK(BM_DrawWithTrail)->Arg(1)->Arg(5)->Arg(10)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return runViewBenchmarks(argc, argv, bench);
}
