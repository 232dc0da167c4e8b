#include "platform/StopSignals.h"

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::atomic<int> caughtSignal{0};
int pipeEnds[2] = {-1, -1};
static_assert(std::atomic<int>::is_always_lock_free, "read and written in a signal handler");

void onSignal(int signalNumber) {
    int none = 0;
    caughtSignal.compare_exchange_strong(none, signalNumber);
    const int saved = errno;
    const char byte = 1;
    // The pipe does not block; a full one already holds the news.
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
    errno = saved;
}

} // namespace

struct StopSignals::Previous {
    int signalNumber;
    struct sigaction action;
};

StopSignals::StopSignals(std::initializer_list<int> signalNumbers, QObject* parent)
    : QObject(parent) {
    caughtSignal = 0;
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
        pipeEnds[0] = pipeEnds[1] = -1;
    }
    if (pipeEnds[0] >= 0) {
        notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] {
            char bytes[64];
            while (::read(pipeEnds[0], bytes, sizeof bytes) > 0) {
            }
            if (!reported_ && caught() != 0) {
                reported_ = true;
                emit SendCaught(caught());
            }
        });
    }
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (const int n : signalNumbers) {
        Previous before{n, {}};
        if (::sigaction(n, &action, &before.action) == 0) {
            previous_.push_back(before);
        }
    }
}

StopSignals::~StopSignals() {
    for (const Previous& p : previous_) {
        ::sigaction(p.signalNumber, &p.action, nullptr);
    }
    delete notifier_;
    for (int& end : pipeEnds) {
        if (end >= 0) {
            ::close(end);
            end = -1;
        }
    }
}

int StopSignals::caught() {
    return caughtSignal.load();
}

QString StopSignals::nameOf(int signalNumber) {
    const char* abbreviation = ::sigabbrev_np(signalNumber);
    return abbreviation ? QStringLiteral("SIG") + QLatin1String(abbreviation)
                        : QStringLiteral("signal %1").arg(signalNumber);
}
