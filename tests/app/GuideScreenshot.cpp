// Makes the user guide's picture of the range image beside the 3D view: a
// window with the range image open receives sensor-sim for a few seconds,
// then the window is saved as a PNG. Not a test; scripts/guide-screenshot.sh
// runs it under Xvfb in a network namespace of its own.
//   guide_screenshot SENSOR_SIM OUTPUT.png
#include "app/CloudView.h"
#include "app/DrawCoalescer.h"
#include "app/InspectionTools.h"
#include "app/RangeImagePanel.h"
#include "app/manwindow.h"
#include "lidar/GetMuch.h"
#include "net/UdpSocket.h"
#include "support/QtWait.h"
#include "support/TemporarySettings.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QSurfaceFormat>
#include <QToolButton>
#include <QVTKOpenGLNativeWidget.h>
#include <cstdio>
#include <pcl/visualization/pcl_visualizer.h>
#include <vtkLogger.h>

namespace {

int freeUdpPort() {
    UdpSocket probe;
    probe.bindAny(0);
    return probe.localPort();
}

int fail(const char* what) {
    std::fprintf(stderr, "guide_screenshot: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    const TemporarySettings settings;
    QSurfaceFormat::setDefaultFormat(QVTKOpenGLNativeWidget::defaultFormat());
    vtkLogger::SetStderrVerbosity(vtkLogger::VERBOSITY_ERROR);
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: guide_screenshot SENSOR_SIM OUTPUT.png\n");
        return 2;
    }
    manwindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        return fail("the window could not be shown: is there a display?");
    }
    const int port = freeUdpPort();
    window.findChild<QLineEdit*>("lineEdit_portNumber")->setText(QString::number(port));
    window.findChild<QLineEdit*>("lineEdit_portNumber_2")->setText(QString::number(freeUdpPort()));
    window.findChild<QToolButton*>("toolButton_Lidar")->click();
    window.findChild<QToolButton*>("toolButton_RangeImage")->click();
    RangeImagePanel& panel = window.inspectionTools().rangeImage();
    window.resizeDocks({&panel}, {window.height() / 3}, Qt::Vertical);
    if (!waitUntil([&] { return window.liveReceiverThread().boundPort() == port; })) {
        return fail("the viewer did not start receiving");
    }

    QProcess simulator;
    simulator.setProcessChannelMode(QProcess::ForwardedChannels);
    simulator.start(QString::fromLocal8Bit(argv[1]), {"--quiet", "--rate", "10", "--port",
                                                      QString::number(port), "--seconds", "60"});
    if (!simulator.waitForStarted(30000)) {
        return fail("sensor-sim did not start");
    }
    // The data list out of the way, the street seen from behind and above
    // the sensor, looking along x as the middle of the range image does.
    window.findChild<QToolButton*>("toolButton_LidarDataList")->click();
    const bool drawn =
        waitUntil([&] { return window.drawing().framesDrawn() >= 5; }, 30000) &&
        (window.cloudView().viewer()->setCameraPosition(-22, 0, 14, 12, 0, 0, 0, 0, 1),
         waitUntil([&] { return window.drawing().framesDrawn() >= 20; }, 30000));
    simulator.kill();
    simulator.waitForFinished();
    if (!drawn) {
        return fail("too few frames were drawn");
    }
    // What the last frames left to paint.
    QTest::qWait(200);
    if (!window.grab().save(QString::fromLocal8Bit(argv[2]), "png")) {
        return fail("the picture could not be written");
    }
    return 0;
}
