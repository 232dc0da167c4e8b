#include "app/ViewFocusHint.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QStatusBar>

namespace {

// More than the bar puts between two items, so that showing the hint
// again never makes the bar too narrow at once.
constexpr int kRoomBeside = 16;

} // namespace

ViewFocusHint::ViewFocusHint(QWidget& view, QStatusBar& statusBar)
    : QObject(&statusBar), view_(view), statusBar_(statusBar),
      label_(new QLabel(QCoreApplication::translate("manwindowClass",
                                                    "Click the view, then r fits, +/- point size"),
                        &statusBar)) {
    label_->setObjectName(QStringLiteral("label_ViewHint"));
    statusBar.addPermanentWidget(label_);
    view_.installEventFilter(this);
    statusBar_.installEventFilter(this);
}

bool ViewFocusHint::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &view_ && event->type() == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason ||
            reason == Qt::BacktabFocusReason) {
            dismissed_ = true;
            label_->hide();
            view_.removeEventFilter(this);
            statusBar_.removeEventFilter(this);
        }
    }
    if (watched == &statusBar_ &&
        (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest)) {
        fit();
    }
    return false;
}

void ViewFocusHint::fit() {
    if (dismissed_) {
        return;
    }
    // What the items need to be read whole (their minimum sizes are less).
    const int needed = statusBar_.sizeHint().width();
    const bool shown = !label_->isHidden();
    const int others = shown ? needed - label_->sizeHint().width() - kRoomBeside : needed;
    label_->setVisible(others + label_->sizeHint().width() + kRoomBeside <= statusBar_.width());
}
