#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <QTimer>
#include <vector>

// Notes and closes every message box that opens while it lives, so tests can
// check what a modal box said without a user to press OK.
class ModalCatcher {
public:
    struct Box {
        QString title;
        QString text;
    };

    ModalCatcher() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(10);
    }

    std::vector<Box> boxes;

private:
    // Every visible box, not only the active modal widget: which of two
    // open modal windows is "active" depends on the window manager's focus,
    // and a box hidden behind a dialog would never be seen.
    void poll() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (box != nullptr && box->isVisible()) {
                boxes.push_back({box->windowTitle(), box->text()});
                box->done(QMessageBox::Ok);
            }
        }
    }

    QTimer timer_;
};
