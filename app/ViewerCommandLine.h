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

// The capture file to open at start, from the arguments the application
// object left (it takes Qt's own options out): at most one file name, "--"
// before one that starts with "-". `error` says what else was given.
struct StartCapture {
    QString path; // empty: none
    QString error;
};
StartCapture startCaptureOf(const QStringList& arguments);

// `guide` is the installed user guide, empty when there is none.
QString helpText(const QUrl& guide);
QString versionText();

} // namespace ViewerCommandLine
