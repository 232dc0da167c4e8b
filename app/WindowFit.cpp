#include "app/WindowFit.h"

#include <QScreen>
#include <QWidget>

namespace WindowFit {

void fillScreen(QWidget& window) {
    if (const QScreen* screen = window.screen()) {
        window.setGeometry(screen->availableGeometry());
    }
    window.setWindowState(window.windowState() | Qt::WindowMaximized);
}

} // namespace WindowFit
