#include "app/ViewFocusHint.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QStatusBar>

ViewFocusHint::ViewFocusHint(QWidget& view, QStatusBar& statusBar)
    : QObject(&statusBar), view_(view),
      label_(new QLabel(QCoreApplication::translate("manwindowClass",
                                                    "Click the view, then r fits, +/- point size"),
                        &statusBar)) {
    label_->setObjectName(QStringLiteral("label_ViewHint"));
    statusBar.addPermanentWidget(label_);
    view_.installEventFilter(this);
}

bool ViewFocusHint::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &view_ && event->type() == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason ||
            reason == Qt::BacktabFocusReason) {
            label_->hide();
            view_.removeEventFilter(this);
        }
    }
    return false;
}
