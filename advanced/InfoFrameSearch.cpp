#include "advanced/InfoFrameSearch.h"

#include "capture/DeviceInfoFrame.h"
#include "capture/LiveCapture.h"

#include <algorithm>

#include <QCoreApplication>
#include <QEvent>

namespace {

// Each read waits at most this long, so a cancel is seen quickly.
constexpr std::chrono::milliseconds kReadTimeout(100);

QString tr(const char* text) {
    return QCoreApplication::translate("InfoFrameSearch", text);
}

// The outcome, handed to the courier's thread as an event.
class OutcomeEvent : public QEvent {
public:
    explicit OutcomeEvent(std::function<void()> deliver)
        : QEvent(QEvent::User), deliver_(std::move(deliver)) {}
    void deliver() const { deliver_(); }

private:
    std::function<void()> deliver_;
};

class Courier : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() != QEvent::User) {
            return QObject::event(e);
        }
        static_cast<OutcomeEvent*>(e)->deliver();
        return true;
    }
};

} // namespace

InfoFrameSearch::InfoFrameSearch(QObject* context) : courier_(std::make_unique<Courier>()) {
    courier_->moveToThread(context->thread());
}

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
                            Clock::time_point deadline, Done done) {
    if (running_) {
        return false;
    }
    join();
    running_ = true;
    cancel_ = false;
    const std::string filter = DeviceInfoFrame::captureFilter(senderAddress);
    worker_ = std::thread([this, adapter, filter, limit, deadline, done = std::move(done)] {
        Outcome outcome;
        QString filterError;
        if (auto capture = LiveCapture::open(adapter, kReadTimeout, &outcome.captureError)) {
            // Without the filter, the sensor's own data would use up the
            // frame limit before its device frame comes; never search without it.
            if (capture->setFilter(filter, &filterError)) {
                // Opening counts against the time the user was promised.
                const auto left =
                    std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
                outcome.frame = DeviceInfoFrame::waitForInfoPacket(
                    *capture, limit, std::max(left, std::chrono::milliseconds(0)), &cancel_,
                    &outcome.captureError);
            } else {
                outcome.captureError = tr("The sensor cannot be looked for on the adapter %1.\n%2")
                                           .arg(QString::fromStdString(adapter), filterError);
            }
        } else if (outcome.captureError.isEmpty()) {
            outcome.captureError =
                tr("The adapter %1 could not be opened.").arg(QString::fromStdString(adapter));
        }
        // Ahead of the frames and draws queued on a busy window thread, so the
        // answer comes as soon as that thread is free. Dropped with the
        // courier if it goes first; the destructor joins.
        QCoreApplication::postEvent(courier_.get(), new OutcomeEvent([this, done, outcome] {
                                        running_ = false;
                                        join();
                                        done(outcome);
                                    }),
                                    Qt::HighEventPriority);
    });
    return true;
}
