#pragma once

#include <QCoreApplication>
#include <QString>

// A text of the main window, translated in the context of its form, where
// the window's own texts are.
inline QString trForm(const char* text) {
    return QCoreApplication::translate("manwindowClass", text);
}
