#include "app/ViewKeyFilter.h"

#include <QKeyEvent>
#include <QWidget>

ViewKeyFilter::ViewKeyFilter(QWidget& view) : QObject(&view) {
    view.installEventFilter(this);
}

bool ViewKeyFilter::reachesVisualizer(const QKeyEvent& key) {
    // Shift makes + on most layouts; Ctrl and Alt select other bindings.
    const Qt::KeyboardModifiers others =
        key.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (others != Qt::NoModifier) {
        return false;
    }
    switch (key.key()) {
    case Qt::Key_R:
        return (key.modifiers() & Qt::ShiftModifier) == 0;
    case Qt::Key_Plus:
    case Qt::Key_Minus:
        return true;
    default:
        return false;
    }
}

bool ViewKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) {
        return QObject::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
        return false;
    }
    return !reachesVisualizer(*key);
}
