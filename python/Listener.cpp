#include "python/Listener.h"

#include "python/Interruptible.h"
#include "python/PythonErrors.h"

#include <QString>
#include <algorithm>
#include <thread>

namespace py = pybind11;

Listener::Listener(int port, const std::string& group, std::optional<double> timeout,
                   const FrameSelection& selection)
    : FrameStream(kFramesQueued), live_(port, group, selection, queue_), port_(port),
      timeout_(timeout), wanted_(selection.count) {}

Listener::~Listener() {
    close();
}

void Listener::start() {
    live_.start();
    for (;;) {
        {
            py::gil_scoped_release release;
            for (int i = 0; i < 10 && live_.boundPort() == 0 && !queue_.finished(); ++i) {
                std::this_thread::sleep_for(kSignalCheckInterval / 10);
            }
        }
        if (queue_.finished()) {
            const std::string error = queue_.error();
            close();
            raiseFailure(error.empty() ? std::string("the receiver stopped") : error);
        }
        if (live_.boundPort() != 0) {
            port_ = live_.boundPort();
            return;
        }
        if (PyErr_CheckSignals() != 0) {
            close();
            throw py::error_already_set();
        }
    }
}

void Listener::stopProducer() {
    live_.stop();
}

void Listener::raiseFailure(const std::string& text) {
    PythonErrors::raiseReceiveError(text);
}

void Listener::whileWaiting() {
    if (!timeout_) {
        return;
    }
    // As lidar-export --timeout: counted from the last frame, or the start.
    const std::chrono::duration<double> quiet = FrameQueue::Clock::now() - queue_.lastPush();
    if (quiet.count() < *timeout_) {
        return;
    }
    close();
    // As lidar-export: the frames wanted of each sensor heard.
    const int wanted = wanted_ * std::max(live_.sensorsTaken(), 1);
    const QString received =
        wanted_ > 0 ? QStringLiteral("%1 of %2 frames received").arg(framesDelivered()).arg(wanted)
                    : QStringLiteral("%1 frames received").arg(framesDelivered());
    const std::string missing = live_.missingSource();
    PythonErrors::raiseTimeout(QStringLiteral("no complete frame within %1 s on port %2 (%3)")
                                   .arg(*timeout_)
                                   .arg(port_)
                                   .arg(received)
                                   .toStdString() +
                               (missing.empty() ? std::string() : "; " + missing));
}
