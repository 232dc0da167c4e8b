#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// The viewer's command line, read before any window exists: --help and
// --version are answered on the terminal, without a display. Everything
// else, Qt's own options such as -platform or -style included, is left to
// the application object.
namespace ViewerCommandLine {

enum class Request { OpenWindow, Help, Version };

// `arguments` includes the program name.
Request requestOf(const QStringList& arguments);

// `guide` is the installed user guide, empty when there is none.
QString helpText(const QUrl& guide);
QString versionText();

} // namespace ViewerCommandLine
