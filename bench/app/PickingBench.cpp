// Area picking on a 300,000-point frame, for a small and a large rectangle:
// the drag until the pick, the data list and the labels are done (the
// time), and until the window has painted them and rendered the picked
// points (ms_until_drawn). Then the listing over the frame alone, and what
// a selection adds to every later frame: its conversion with the box, and
// the list taking the box's rows.
//
//   xvfb-run -a -s "-screen 0 1920x1080x24" build/bench/picking_bench
#include "LiveWindow.h"
#include "WindowBenchMain.h"

#include "app/AreaPicking.h"
#include "app/CloudView.h"
#include "app/DrawCoalescer.h"
#include "app/manwindow.h"
#include "lidar/DataListModel.h"
#include "lidar/GetMuch.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <QToolButton>
#include <cmath>
#include <pcl/visualization/pcl_visualizer.h>

namespace {

constexpr int kSteps = 2344; // x 128 channels: 300,032 points

// A level ground 1.8 m below the sensor and a round wall 30 m away.
MuchLidarData sceneFrame() {
    MuchLidarData f;
    for (int step = 0; step < kSteps; ++step) {
        const float azimuth = static_cast<float>(step * 36000 / kSteps) / 100.0f;
        for (int c = 0; c < 128; ++c) {
            const double elevation = (-17 + 0.25 * c) * M_PI / 180;
            double metres = 30 / std::cos(elevation);
            if (elevation < 0) {
                metres = std::min(metres, 1.8 / std::sin(-elevation));
            }
            f.append(c, azimuth, static_cast<float>(metres * 100), (step + c) % 256);
        }
    }
    return f;
}

void drag(QWidget* screen, QPoint from, QPoint to) {
    const auto send = [screen](QEvent::Type type, QPoint p, Qt::MouseButton button,
                               Qt::MouseButtons buttons) {
        QMouseEvent e(type, p, screen->mapToGlobal(p), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(screen, &e);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

// Fraction of the view's width and height that the rectangle covers,
// around the view's centre, in percent.
void BM_PickAndList(benchmark::State& state) {
    manwindow window;
    window.show();
    if (!startLive(window)) {
        state.SkipWithError("no display, or the ports could not be bound");
        return;
    }
    const MuchLidarData frame = sceneFrame();
    const auto draw = [&] {
        const auto delivered = window.framesDelivered();
        QMetaObject::invokeMethod(&window, "CalculateMuch", Qt::QueuedConnection,
                                  Q_ARG(MuchLidarData, frame));
        return QTest::qWaitFor([&] {
            return window.framesDelivered() > delivered && !window.drawing().drawPending();
        });
    };
    // The first frame is fitted into the view; then straight down from 80 m:
    // the whole ground and wall in view.
    const bool drawn = draw();
    window.cloudView().viewer()->setCameraPosition(0, 0, 80, 0, 0, 0, 0, 1, 0);
    if (!drawn || !draw()) {
        state.SkipWithError("the frame was not drawn");
        return;
    }

    QWidget* screen = window.cloudView().screen();
    const QPoint centre = screen->rect().center();
    const QPoint half(screen->width() * static_cast<int>(state.range(0)) / 200,
                      screen->height() * static_cast<int>(state.range(0)) / 200);
    AreaPicking& picking = window.areaPicking();
    double untilDrawnMs = 0;
    for (auto _ : state) {
        picking.toggleArming();
        QCoreApplication::processEvents(); // nothing of the last pick left
        QElapsedTimer clock;
        clock.start();
        drag(screen, centre - half, centre + half);
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        if (picking.armed()) {
            state.SkipWithError("the rectangle picked nothing");
            break;
        }
        QCoreApplication::processEvents();
        untilDrawnMs += static_cast<double>(clock.nsecsElapsed()) / 1e6;
    }
    state.counters["ms_until_drawn"] = untilDrawnMs / static_cast<double>(state.iterations());
    state.counters["points_in_frame"] = static_cast<double>(frame.size());
    state.counters["points_picked"] = picking.selectedCount();
    state.counters["rows_listed"] = window.dataListModel()->rowCount();
    window.close();
}

void BM_SelectionListingAlone(benchmark::State& state) {
    const MuchLidarData frame = sceneFrame();
    const ChannelGeometry geometry;
    const FrameConverter converter(geometry);
    const SelectionBox box{-10, 10, -10, 10, -5, 5};
    std::size_t rows = 0;
    for (auto _ : state) {
        const SelectionListing listing =
            converter.listSelection(frame, nullptr, box, static_cast<int>(state.range(0)));
        rows = listing.rows.size();
        benchmark::DoNotOptimize(listing.statistics.count);
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["ns_per_point"] = benchmark::Counter(
        static_cast<double>(frame.size()) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// One frame's conversion: 0 with the all-zero box of a cleared selection,
// 1 with the box above but no selection (the box only highlights and counts),
// 2 with a selection (every in-box point is listed); the list takes the rows.
void BM_FrameWithBox(benchmark::State& state) {
    const MuchLidarData frame = sceneFrame();
    const ChannelGeometry geometry;
    const FrameConverter converter(geometry);
    FrameSettings settings;
    if (state.range(0) > 0) {
        settings.box = {-10, 10, -10, 10, -5, 5};
    }
    settings.selectionActive = state.range(0) == 2;
    settings.selectedCount = settings.selectionActive ? static_cast<int>(frame.size()) : 0;
    FrameConversion out;
    DataListModel list;
    for (auto _ : state) {
        converter.convert(frame, settings, out);
        if (settings.selectionActive) {
            list.replaceAll(out.rows);
        } else {
            list.overwriteTop(out.rows);
        }
    }
    state.counters["rows"] = list.rowCount();
    state.counters["in_box"] = out.statistics.count;
}

} // namespace

int main(int argc, char** argv) {
    return runWindowBenchmarks(
        argc, argv, [](const std::string&) { return false; },
        [] {
            benchmark::RegisterBenchmark("BM_PickAndList/percent_of_view", BM_PickAndList)
                ->Arg(40)
                ->Arg(90)
                ->Iterations(10)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark("BM_SelectionListingAlone/picked",
                                         BM_SelectionListingAlone)
                ->Arg(1000)
                ->Arg(300000)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark("BM_FrameWithBox/box", BM_FrameWithBox)
                ->DenseRange(0, 2)
                ->Unit(benchmark::kMillisecond);
        });
}
