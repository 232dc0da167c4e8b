#pragma once

#include <QApplication>
#include <QSurfaceFormat>
#include <QVTKOpenGLNativeWidget.h>
#include <benchmark/benchmark.h>
#include <functional>
#include <string>
#include <vector>
#include <vtkLogger.h>

// "--name=value": the value when `arg` is that option.
inline bool optionValue(const std::string& arg, const std::string& name, std::string& value) {
    const std::string prefix = "--" + name + "=";
    if (arg.rfind(prefix, 0) != 0) {
        return false;
    }
    value = arg.substr(prefix.size());
    return true;
}

// The main of a benchmark that builds windows with a 3D view: the view's
// OpenGL format, the application object, the options --seconds=N (into
// `seconds`) and those `takeOption` takes (it returns true for each), then
// `registerBenchmarks` and the run.
inline int runWindowBenchmarks(int argc, char** argv, int& seconds,
                               const std::function<bool(const std::string&)>& takeOption,
                               const std::function<void()>& registerBenchmarks) {
    QSurfaceFormat::setDefaultFormat(QVTKOpenGLNativeWidget::defaultFormat());
    vtkLogger::SetStderrVerbosity(vtkLogger::VERBOSITY_ERROR);
    QApplication app(argc, argv);
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        std::string value;
        if (i > 0 && optionValue(argv[i], "seconds", value)) {
            seconds = std::stoi(value);
        } else if (i == 0 || !takeOption(argv[i])) {
            rest.push_back(argv[i]);
        }
    }
    int restCount = static_cast<int>(rest.size());
    registerBenchmarks();
    benchmark::Initialize(&restCount, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
