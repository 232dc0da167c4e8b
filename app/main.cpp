#include "app/PlaybackBar.h"
#include "app/UserGuide.h"
#include "app/ViewerCommandLine.h"
#include "app/manwindow.h"
#include "platform/StopSignals.h"

#include <QApplication>
#include <QFileInfo>
#include <QSurfaceFormat>
#include <QTimer>
#include <QVTKOpenGLNativeWidget.h>
#include <csignal>
#include <cstdio>
#include <vtkLogger.h>

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    const ViewerCommandLine::Request request = ViewerCommandLine::requestOf(arguments);
    if (request != ViewerCommandLine::Request::OpenWindow) {
        // Answered without a display: no GUI application is created.
        QCoreApplication core(argc, argv);
        const QString text = request == ViewerCommandLine::Request::Help
                                 ? ViewerCommandLine::helpText(UserGuide::installedPage(
                                       QCoreApplication::applicationDirPath()))
                                 : ViewerCommandLine::versionText();
        std::fputs(text.toLocal8Bit().constData(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    // Refused before anything needs a display.
    const ViewerCommandLine::StartCapture capture = ViewerCommandLine::startCaptureOf(arguments);
    if (!capture.error.isEmpty()) {
        std::fprintf(stderr, "vantor-viewer: %s\n%s", capture.error.toLocal8Bit().constData(),
                     ViewerCommandLine::usageText().toLocal8Bit().constData());
        return 2;
    }

    // The 3D view needs its OpenGL format before the application exists.
    QSurfaceFormat::setDefaultFormat(QVTKOpenGLNativeWidget::defaultFormat());
    // The visualizer uses VTK calls that VTK reports as deprecated each time a
    // cloud is drawn; only errors go to the terminal.
    vtkLogger::SetStderrVerbosity(vtkLogger::VERBOSITY_ERROR);
    QApplication a(argc, argv);
    // A logout, kill or Ctrl-C in the terminal ends the program as closing
    // the window does: what it remembers is written, receivers stop, and a
    // CSV export short of its frames is left under its part name.
    StopSignals stopSignals({SIGTERM, SIGINT, SIGHUP});
    manwindow w;
    QObject::connect(&stopSignals, &StopSignals::SendCaught, &w, [&w] {
        w.close();
        QCoreApplication::exit(0); // also from within a message box
    });
    w.show();
    if (!capture.path.isEmpty()) {
        // Opened like a file chosen with Open, once the window is up.
        const QString path = QFileInfo(capture.path).absoluteFilePath();
        QTimer::singleShot(0, &w, [&w, path] { w.playbackControl().openCapture(path); });
    }
    return a.exec();
}
