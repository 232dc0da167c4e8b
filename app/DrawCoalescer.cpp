#include "app/DrawCoalescer.h"

#include <QCoreApplication>
#include <QEvent>

#include <utility>

DrawCoalescer::DrawCoalescer(std::function<void()> draw, QObject* parent)
    : QObject(parent), draw_(std::move(draw)) {
    clock_.start();
    breather_.setSingleShot(true);
    breather_.setTimerType(Qt::PreciseTimer);
    connect(&breather_, &QTimer::timeout, this, &DrawCoalescer::drawNow);
}

void DrawCoalescer::frameArrived() {
    ++arrived_;
    const bool replacesOne = scheduled_ || (held_ && heldFrame_);
    if (replacesOne) {
        ++skipped_;
    }
    if (held_) {
        heldFrame_ = true;
        return;
    }
    if (!scheduled_) {
        schedule();
    }
}

void DrawCoalescer::hold() {
    held_ = true;
    if (scheduled_) {
        // The frame it was for is drawn on resume().
        breather_.stop();
        scheduled_ = false;
        heldFrame_ = true;
    }
}

void DrawCoalescer::resume() {
    held_ = false;
    if (heldFrame_) {
        heldFrame_ = false;
        schedule();
    }
}

void DrawCoalescer::schedule() {
    scheduled_ = true;
    const qint64 waitMs = (nextDrawAtNs_ - clock_.nsecsElapsed()) / 1000000;
    if (waitMs > 0) {
        breather_.start(static_cast<int>(waitMs));
    } else {
        // Posted behind every event already queued, frames included.
        QMetaObject::invokeMethod(this, "drawNow", Qt::QueuedConnection);
    }
}

void DrawCoalescer::drawNow() {
    // A draw posted before hold() (or a stale one) finds nothing to do.
    if (!scheduled_ || held_) {
        return;
    }
    scheduled_ = false;
    const qint64 start = clock_.nsecsElapsed();
    draw_();
    // Widgets paint what the draw changed when the event loop asks them to;
    // painting now keeps that cost (most of it, for a 3D view) inside the
    // draw, where the pacing below sees it.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    const qint64 end = clock_.nsecsElapsed();
    nextDrawAtNs_ = end + (end - start);
    ++drawn_;
}
