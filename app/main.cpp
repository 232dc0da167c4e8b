#include "app/manwindow.h"

#include <QApplication>
#include <QSurfaceFormat>
#include <QVTKOpenGLNativeWidget.h>
#include <vtkLogger.h>

int main(int argc, char* argv[]) {
    // The 3D view needs its OpenGL format before the application exists.
    QSurfaceFormat::setDefaultFormat(QVTKOpenGLNativeWidget::defaultFormat());
    // The visualizer uses VTK calls that VTK reports as deprecated each time a
    // cloud is drawn; only errors go to the terminal.
    vtkLogger::SetStderrVerbosity(vtkLogger::VERBOSITY_ERROR);
    QApplication a(argc, argv);
    manwindow w;
    w.show();
    return a.exec();
}
