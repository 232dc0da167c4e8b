#include "app/DrawCoalescer.h"

#include <utility>

namespace {
constexpr qint64 kRateWindowMs = 1000;
}

DrawCoalescer::DrawCoalescer(std::function<void()> draw, QObject* parent)
    : QObject(parent), draw_(std::move(draw)) {
    clock_.start();
}

void DrawCoalescer::frameArrived() {
    ++arrived_;
    if (posted_) {
        ++skipped_;
        return;
    }
    posted_ = true;
    // Posted behind every event already queued, frames included.
    QMetaObject::invokeMethod(this, "drawNow", Qt::QueuedConnection);
}

void DrawCoalescer::drawNow() {
    posted_ = false;
    draw_();
    ++drawn_;
    const qint64 now = clock_.elapsed();
    recentDraws_.push_back(now);
    forgetOldDraws(now);
}

double DrawCoalescer::drawsPerSecond() {
    forgetOldDraws(clock_.elapsed());
    return static_cast<double>(recentDraws_.size()) * 1000.0 / kRateWindowMs;
}

void DrawCoalescer::forgetOldDraws(qint64 now) {
    while (!recentDraws_.empty() && recentDraws_.front() <= now - kRateWindowMs) {
        recentDraws_.pop_front();
    }
}
