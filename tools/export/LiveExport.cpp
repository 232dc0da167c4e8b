#include "tools/export/LiveExport.h"

#include "lidar/GetMuch.h"
#include "tools/export/SensorListing.h"

#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cmath>

namespace {

std::vector<SensorId> sensorsOf(const GetMuch& receiver) {
    std::vector<SensorId> sensors;
    for (const SensorCounts& c : receiver.sensorCounts()) {
        sensors.push_back(c.sensor);
    }
    return sensors;
}

} // namespace

LiveExport::LiveExport(const ExportOptions& options, SensorOutputs& output, StopSignals& stop)
    : options_(options), output_(output), stop_(stop) {}

QString LiveExport::run() {
    GetMuch receiver;
    receiver.port = options_.listenPort;
    receiver.multicastAddress = options_.group;
    output_.setHeard([&receiver] { return sensorsOf(receiver); });

    QEventLoop loop;
    QString failure;
    auto fail = [&](const QString& text) {
        if (failure.isEmpty()) {
            failure = text;
        }
        loop.quit();
    };

    // Restarted by every frame written: the time-out counts from the last one.
    QTimer timeout;
    timeout.setSingleShot(true);
    if (options_.timeoutSeconds > 0) {
        timeout.setInterval(static_cast<int>(std::ceil(options_.timeoutSeconds * 1000)));
        QObject::connect(&timeout, &QTimer::timeout, &loop, [&] {
            fail(QStringLiteral("no complete frame within %1 s on port %2 (%3 of %4 frames "
                                "written)")
                     .arg(options_.timeoutSeconds)
                     .arg(options_.listenPort)
                     .arg(output_.framesWritten())
                     .arg(output_.framesWanted()) +
                 (output_.missingSource().isEmpty() ? QString() : "; " + output_.missingSource()));
        });
    }

    // Frames cross to this thread queued, as they reach the window.
    QObject::connect(&receiver, &GetMuch::SendLidarData, &loop, [&](const MuchLidarData& frame) {
        if (!failure.isEmpty() || output_.complete()) {
            return;
        }
        const int before = output_.framesWritten();
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        if (!output_.writeFrame(
                frame, std::chrono::duration_cast<std::chrono::nanoseconds>(now).count())) {
            fail(output_.error());
            return;
        }
        if (output_.complete()) {
            loop.quit();
        } else if (options_.timeoutSeconds > 0 && output_.framesWritten() != before) {
            timeout.start();
        }
    });
    QObject::connect(&receiver, &GetMuch::SendError, &loop, fail);
    // Frames are written whole inside this loop: stopping it ends the run
    // between two of them.
    QObject::connect(&stop_, &StopSignals::SendCaught, &loop, [&] {
        if (failure.isEmpty() && !output_.complete()) {
            interrupted_ = true;
            loop.quit();
        }
    });
    // A receiver that ends by itself (it could not bind) has said why.
    QObject::connect(&receiver, &QThread::finished, &loop, [&] {
        if (!output_.complete()) {
            fail(QStringLiteral("the receiver stopped"));
        }
    });

    receiver.start();
    if (options_.timeoutSeconds > 0) {
        timeout.start();
    }
    // A signal caught before is heard as soon as the loop runs.
    loop.exec();
    receiver.stop = true;
    receiver.wait();
    // The receiver ends here; the outputs keep who was heard.
    output_.setHeard([heard = sensorsOf(receiver)] { return heard; });
    return failure;
}

QString LiveExport::listSensors(const ExportOptions& options, double seconds, QString& listing) {
    GetMuch receiver;
    receiver.port = options.listenPort;
    receiver.multicastAddress = options.group;
    QEventLoop loop;
    QString failure;
    QObject::connect(&receiver, &GetMuch::SendError, &loop, [&](const QString& text) {
        failure = text;
        loop.quit();
    });
    QTimer::singleShot(static_cast<int>(std::ceil(seconds * 1000)), &loop, &QEventLoop::quit);
    receiver.start();
    loop.exec();
    receiver.stop = true;
    receiver.wait();
    if (!failure.isEmpty()) {
        return failure;
    }
    const std::vector<SensorCounts> counts = receiver.sensorCounts();
    if (counts.empty()) {
        return QStringLiteral("no data datagram within %1 s on port %2")
            .arg(seconds)
            .arg(options.listenPort);
    }
    listing = SensorListing::text(counts, receiver.totals().sensorBound);
    return QString();
}
