#include "tools/export/LiveExport.h"

#include "lidar/GetMuch.h"

#include <QEventLoop>
#include <QTimer>
#include <cmath>

LiveExport::LiveExport(const ExportOptions& options, CsvExportFile& file)
    : options_(options), file_(file) {}

QString LiveExport::run() {
    GetMuch receiver;
    receiver.port = options_.listenPort;
    receiver.multicastAddress = options_.group;

    QEventLoop loop;
    QString failure;
    auto fail = [&](const QString& text) {
        if (failure.isEmpty()) {
            failure = text;
        }
        loop.quit();
    };

    // Restarted by every frame: the time-out counts from the last one.
    QTimer timeout;
    timeout.setSingleShot(true);
    if (options_.timeoutSeconds > 0) {
        timeout.setInterval(static_cast<int>(std::ceil(options_.timeoutSeconds * 1000)));
        QObject::connect(&timeout, &QTimer::timeout, &loop, [&] {
            fail(QStringLiteral("no complete frame within %1 s on port %2 (%3 of %4 frames "
                                "written)")
                     .arg(options_.timeoutSeconds)
                     .arg(options_.listenPort)
                     .arg(file_.framesWritten())
                     .arg(file_.framesWanted()));
        });
    }

    // Frames cross to this thread queued, as they reach the window.
    QObject::connect(&receiver, &GetMuch::SendLidarData, &loop, [&](const MuchLidarData& frame) {
        if (!failure.isEmpty() || file_.complete()) {
            return;
        }
        if (!file_.writeFrame(frame)) {
            fail("cannot write " + file_.error());
            return;
        }
        if (file_.complete()) {
            loop.quit();
        } else if (options_.timeoutSeconds > 0) {
            timeout.start();
        }
    });
    QObject::connect(&receiver, &GetMuch::SendError, &loop, fail);
    // A receiver that ends by itself (it could not bind) has said why.
    QObject::connect(&receiver, &QThread::finished, &loop, [&] {
        if (!file_.complete()) {
            fail(QStringLiteral("the receiver stopped"));
        }
    });

    receiver.start();
    if (options_.timeoutSeconds > 0) {
        timeout.start();
    }
    loop.exec();
    receiver.stop = true;
    receiver.wait();
    return failure;
}
