#include "app/EmptyViewHint.h"

#include "app/FormText.h"

#include <QEvent>

EmptyViewHint::EmptyViewHint(QWidget& view) : QLabel(&view) {
    setObjectName(QStringLiteral("label_EmptyViewHint"));
    setTextFormat(Qt::RichText);
    setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    setAlignment(Qt::AlignCenter);
    // Light on a dark plate: the view's ground is black.
    setStyleSheet(QStringLiteral("QLabel { color: white; background: rgba(45, 50, 60, 220); "
                                 "padding: 14px; border-radius: 6px; font-size: 11pt; }"));
    setText(trForm("<p>Nothing to show yet.</p>"
                   "<p>With a sensor connected, press <b>Lidar</b>.<br>"
                   "Without one: <a href=\"sample\" style=\"color: #8cc8ff\">Open a sample "
                   "capture</a> of a simulated street.</p>"));
    connect(this, &QLabel::linkActivated, this, [this] { emit sampleRequested(); });
    view.installEventFilter(this);
    centre();
}

bool EmptyViewHint::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        centre();
    }
    return QLabel::eventFilter(watched, event);
}

void EmptyViewHint::centre() {
    adjustSize();
    const QWidget* view = parentWidget();
    move((view->width() - width()) / 2, (view->height() - height()) / 2);
}
