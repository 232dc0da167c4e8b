#include "TemporarySettings.h"

#include <QApplication>
#include <QSurfaceFormat>
#include <QVTKOpenGLNativeWidget.h>
#include <gtest/gtest.h>
#include <vtkLogger.h>

// Tests of windows with a 3D view; they run under Xvfb.
int main(int argc, char** argv) {
    const TemporarySettings settings;
    QSurfaceFormat::setDefaultFormat(QVTKOpenGLNativeWidget::defaultFormat());
    vtkLogger::SetStderrVerbosity(vtkLogger::VERBOSITY_ERROR);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
