#pragma once

#include <QApplication>
#include <QSettings>
#include <QSurfaceFormat>
#include <QTemporaryDir>
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
// OpenGL format, settings kept apart from the user's (windows remember
// theirs when they close), the application object, the options that
// `takeOption` takes (it returns true for each), then `registerBenchmarks`
// and the run.
inline int runWindowBenchmarks(int argc, char** argv,
                               const std::function<bool(const std::string&)>& takeOption,
                               const std::function<void()>& registerBenchmarks) {
    const QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QSurfaceFormat::setDefaultFormat(QVTKOpenGLNativeWidget::defaultFormat());
    vtkLogger::SetStderrVerbosity(vtkLogger::VERBOSITY_ERROR);
    QApplication app(argc, argv);
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        if (i == 0 || !takeOption(argv[i])) {
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

// The same with the option --seconds=N (into `seconds`).
inline int runWindowBenchmarks(int argc, char** argv, int& seconds,
                               const std::function<bool(const std::string&)>& takeOption,
                               const std::function<void()>& registerBenchmarks) {
    return runWindowBenchmarks(
        argc, argv,
        [&](const std::string& arg) {
            std::string value;
            if (optionValue(arg, "seconds", value)) {
                seconds = std::stoi(value);
                return true;
            }
            return takeOption(arg);
        },
        registerBenchmarks);
}
