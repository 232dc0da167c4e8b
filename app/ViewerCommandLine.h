#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// The viewer's command line, read before any window exists: --help and
// --version are answered on the terminal, and a wrong argument refused,
// without a display. Qt's own options such as -platform or -style are left
// to the application object.
namespace ViewerCommandLine {

enum class Request { OpenWindow, Help, Version };

// `arguments` includes the program name.
Request requestOf(const QStringList& arguments);

// The capture file to open at start: at most one file name, "--" before one
// that starts with "-". Qt's own options (and their values) are passed
// over. `error` says what else was given.
struct StartCapture {
    QString path; // empty: none
    QString error;
};
StartCapture startCaptureOf(const QStringList& arguments);

// "Usage: ..." and a pointer to --help, for a refused command line.
QString usageText();
// `guide` is the installed user guide, empty when there is none.
QString helpText(const QUrl& guide);
QString versionText();
// "vantor-viewer" and its version, as files name the program that wrote them.
QString programAndVersion();

} // namespace ViewerCommandLine
