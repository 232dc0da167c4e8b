#include "app/ViewerCommandLine.h"

#include <QLatin1String>
#include <pcl/pcl_config.h>
#include <vtkVersionMacros.h>

namespace ViewerCommandLine {

namespace {

// Options the application object takes (also written with two dashes, and
// those with a value also as -name=value).
constexpr const char* kQtOptionsWithValue[] = {
    "platform",    "platformpluginpath", "platformtheme", "plugin",     "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "style",         "stylesheet", "session",
    "display",     "geometry",           "title",         "icon",       "name"};
constexpr const char* kQtFlags[] = {"reverse", "widgetcount", "nograb",       "dograb",
                                    "sync",    "testability", "qmljsdebugger"};

// How many arguments from `a` on are one of Qt's options: 0 when it is none.
int qtOptionLength(const QString& a, bool valueFollows) {
    QString name = a.startsWith(QLatin1String("--")) ? a.mid(2) : a.mid(1);
    const int equals = name.indexOf(QLatin1Char('='));
    const bool valueAttached = equals >= 0;
    if (valueAttached) {
        name.truncate(equals);
    }
    for (const char* option : kQtOptionsWithValue) {
        if (name == QLatin1String(option)) {
            return valueAttached || !valueFollows ? 1 : 2;
        }
    }
    for (const char* option : kQtFlags) {
        if (name == QLatin1String(option)) {
            return 1;
        }
    }
    return 0;
}

} // namespace

Request requestOf(const QStringList& arguments) {
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            return Request::Help;
        }
        if (a == QLatin1String("-v") || a == QLatin1String("--version")) {
            return Request::Version;
        }
    }
    return Request::OpenWindow;
}

StartCapture startCaptureOf(const QStringList& arguments) {
    StartCapture result;
    bool optionsEnded = false;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        const bool option = !optionsEnded && a.startsWith(QLatin1Char('-')) && a.size() > 1;
        if (!optionsEnded && a == QLatin1String("--")) {
            optionsEnded = true;
        } else if (const int qt = option ? qtOptionLength(a, i + 1 < arguments.size()) : 0) {
            i += qt - 1;
        } else if (option) {
            result.error = QStringLiteral("unknown option %1").arg(a);
            return result;
        } else if (!result.path.isEmpty()) {
            result.error =
                QStringLiteral("one capture file at a time (given: %1 and %2)").arg(result.path, a);
            return result;
        } else {
            result.path = a;
        }
    }
    return result;
}

QString usageText() {
    return QStringLiteral("Usage: vantor-viewer [options] [CAPTURE]\n"
                          "Try vantor-viewer --help for more.\n");
}

QString helpText(const QUrl& guide) {
    QString text = QStringLiteral(
        "Usage: vantor-viewer [options] [CAPTURE]\n"
        "Point-cloud viewer and configuration tool for the Vantor 128-channel lidar: watch the\n"
        "sensor live in 3D, record and replay packet captures, inspect and export points, and\n"
        "read and change the sensor's settings.\n"
        "\n"
        "CAPTURE, a .pcap or .pcapng file, is opened at start and waits at its first frame\n"
        "for Play, as after the Open button.\n"
        "\n"
        "Options:\n"
        "  -h, --help     Show this help.\n"
        "  -v, --version  Show the version.\n"
        "\n"
        "Qt's own options, such as -platform NAME or -style NAME, are accepted too.\n"
        "\n"
        "Ports, multicast address, colour mode, view, point size, window size and the folders\n"
        "of the file dialogs are remembered in ~/.config/Vantor/vantor-viewer.conf; \"Restore\n"
        "defaults\" on the Help tab forgets them.\n"
        "\n");
    text +=
        guide.isEmpty()
            ? QStringLiteral("User guide: the \"User guide\" link in the window's status bar.\n")
            : QStringLiteral("User guide: %1\n").arg(guide.toLocalFile());
    text += QStringLiteral("Companion tools: lidar-export, sensor-sim (see their --help).\n");
    return text;
}

QString programAndVersion() {
    return QStringLiteral("vantor-viewer " VANTOR_VERSION);
}

QString versionText() {
    return QStringLiteral("%1\nQt %2, PCL %3, VTK %4\n")
        .arg(programAndVersion(), QString::fromLatin1(qVersion()),
             QStringLiteral(PCL_VERSION_PRETTY), QStringLiteral(VTK_VERSION));
}

} // namespace ViewerCommandLine
