#pragma once

#include <QStatusBar>
#include <QString>

// A line in the status bar that tells what has just been done (a capture
// loaded, a file written). It stands in place of the selection statistics
// for a while and then gives them their place back.
namespace StatusNotice {

constexpr int kShownMs = 10000;

inline void show(QStatusBar& statusBar, const QString& text) {
    statusBar.showMessage(text, kShownMs);
}

} // namespace StatusNotice
