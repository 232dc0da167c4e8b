#pragma once

#include <QString>
#include <QUrl>

// The user guide shipped inside the program.
namespace UserGuide {

// The status-bar link (rich text).
QString linkText();

// Writes the guide to a file a browser can open and returns its address;
// an empty URL when it cannot be written.
QUrl writeLocalCopy();

} // namespace UserGuide
