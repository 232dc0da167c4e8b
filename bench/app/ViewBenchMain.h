#pragma once

#include "app/CloudView.h"

#include <QApplication>
#include <QSurfaceFormat>
#include <QTest>
#include <QVTKOpenGLNativeWidget.h>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <string>
#include <vtkLogger.h>

// The 3D view a view benchmark draws into, set up as the window sets it up.
struct BenchView {
    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 720;

    QVTKOpenGLNativeWidget* screen = nullptr;
    CloudView* view = nullptr;
};

// The main of a benchmark of a bare 3D view: the view's OpenGL format, a
// shown kWidth x kHeight view handed to the benchmarks through `bench`,
// then the run.
inline int runViewBenchmarks(int argc, char** argv, BenchView& bench) {
    QSurfaceFormat::setDefaultFormat(QVTKOpenGLNativeWidget::defaultFormat());
    vtkLogger::SetStderrVerbosity(vtkLogger::VERBOSITY_ERROR);
    QApplication app(argc, argv);
    QVTKOpenGLNativeWidget widget;
    widget.resize(BenchView::kWidth, BenchView::kHeight);
    widget.show();
    if (!QTest::qWaitForWindowExposed(&widget)) {
        std::fprintf(stderr, "The view could not be shown: is there a display?\n");
        return 1;
    }
    CloudView cloudView(&widget);
    bench.screen = &widget;
    bench.view = &cloudView;
    benchmark::AddCustomContext("view", std::to_string(BenchView::kWidth) + "x" +
                                            std::to_string(BenchView::kHeight));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
