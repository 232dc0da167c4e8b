#include "advanced/InfoFrameSearch.h"

#include "capture/DeviceInfoFrame.h"
#include "capture/LiveCapture.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace {

// Each read waits at most this long, so a cancel is seen quickly.
constexpr std::chrono::milliseconds kReadTimeout(100);

QString tr(const char* text) {
    return QCoreApplication::translate("InfoFrameSearch", text);
}

} // namespace

InfoFrameSearch::~InfoFrameSearch() {
    cancel_ = true;
    join();
}

void InfoFrameSearch::join() {
    if (worker_.joinable()) {
        worker_.join();
    }
}

bool InfoFrameSearch::start(const std::string& adapter, const std::string& senderAddress, int limit,
                            std::chrono::milliseconds overall, Done done) {
    if (running_) {
        return false;
    }
    join();
    running_ = true;
    cancel_ = false;
    const std::string filter = DeviceInfoFrame::captureFilter(senderAddress);
    worker_ = std::thread([this, adapter, filter, limit, overall, done = std::move(done)] {
        Outcome outcome;
        QString filterError;
        if (auto capture = LiveCapture::open(adapter, kReadTimeout, &outcome.captureError)) {
            // Without the filter, the sensor's own data would use up the
            // frame limit before its device frame comes; never search without it.
            if (capture->setFilter(filter, &filterError)) {
                outcome.frame = DeviceInfoFrame::waitForInfoPacket(*capture, limit, overall,
                                                                   &cancel_, &outcome.captureError);
            } else {
                outcome.captureError = tr("The sensor cannot be looked for on the adapter %1.\n%2")
                                           .arg(QString::fromStdString(adapter), filterError);
            }
        } else if (outcome.captureError.isEmpty()) {
            outcome.captureError =
                tr("The adapter %1 could not be opened.").arg(QString::fromStdString(adapter));
        }
        // Dropped with the context if it goes first; the destructor joins.
        QMetaObject::invokeMethod(
            context_,
            [this, done, outcome] {
                running_ = false;
                join();
                done(outcome);
            },
            Qt::QueuedConnection);
    });
    return true;
}
