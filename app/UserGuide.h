#pragma once

#include <QString>
#include <QUrl>

// The user guide shipped inside the program.
namespace UserGuide {

// The status-bar link (rich text).
QString linkText();

// The installed guide of a program in `programFolder`; an empty URL when
// there is none (a program run from its build folder).
QUrl installedPage(const QString& programFolder);

// Writes the built-in guide to a file a browser can open and returns its
// address; an empty URL when it cannot be written.
QUrl writeLocalCopy();

// The page to open: the installed guide, otherwise a local copy.
QUrl pageUrl();

// Hands the page to the desktop's web browser. `text` tells the user where
// the page is; when no browser could be started it also says to open the
// file by hand.
struct Opening {
    bool opened = false;
    QString text;
};
Opening open();

} // namespace UserGuide
