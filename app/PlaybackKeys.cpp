#include "app/PlaybackKeys.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTextEdit>

PlaybackKeys::PlaybackKeys(QWidget& window, Buttons buttons, std::function<bool()> playing)
    : QObject(&window), window_(window), buttons_(buttons), playing_(std::move(playing)) {
    // Key presses go to the focused widget first; the application's filter
    // sees them before any widget of the window.
    qApp->installEventFilter(this);
}

PlaybackKeys::~PlaybackKeys() {
    if (qApp != nullptr) {
        qApp->removeEventFilter(this);
    }
}

bool PlaybackKeys::keepsKeys(const QWidget* focus) {
    return qobject_cast<const QLineEdit*>(focus) || qobject_cast<const QAbstractSpinBox*>(focus) ||
           qobject_cast<const QComboBox*>(focus) || qobject_cast<const QTextEdit*>(focus) ||
           qobject_cast<const QPlainTextEdit*>(focus) ||
           qobject_cast<const QAbstractItemView*>(focus) || qobject_cast<const QTabBar*>(focus);
}

bool PlaybackKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) {
        return false;
    }
    // The window's own focus widget, not the application's: which window is
    // active is the window system's business, and keys reach a widget of
    // this window only when it is.
    const auto* target = static_cast<QWidget*>(watched);
    if (target->window() != &window_ || keepsKeys(window_.focusWidget())) {
        return false;
    }
    return press(*static_cast<QKeyEvent*>(event));
}

bool PlaybackKeys::press(const QKeyEvent& key) {
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier) {
        return false;
    }
    // Holding an arrow key steps on; the other keys act once per press.
    const bool repeat = key.isAutoRepeat();
    const auto once = [repeat](QAbstractButton* button) {
        if (!repeat) {
            click(button);
        }
    };
    switch (key.key()) {
    case Qt::Key_Space:
        once(buttons_.play);
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        QAbstractButton* step =
            key.key() == Qt::Key_Left ? buttons_.stepBackward : buttons_.stepForward;
        // While playing the seek buttons change the speed; a step pauses.
        if (step->isEnabled() && playing_()) {
            click(buttons_.play);
        }
        click(step);
        return true;
    }
    case Qt::Key_Home:
        once(buttons_.goToStart);
        return true;
    case Qt::Key_End:
        once(buttons_.goToEnd);
        return true;
    default:
        return false;
    }
}

void PlaybackKeys::click(QAbstractButton* button) {
    if (button->isEnabled()) {
        button->click();
    }
}
