#include "app/UserGuide.h"

#include "platform/ImagePath.h"
#include "platform/InstallLayout.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace UserGuide {

QString linkText() {
    return QStringLiteral("<a href=\"guide\">%1</a>")
        .arg(QCoreApplication::translate("manwindowClass", "User guide"));
}

QUrl installedPage(const QString& programFolder) {
    const QString page =
        InstallLayout::dataFolder(programFolder) + QStringLiteral("/guide/index.html");
    return QFileInfo(page).isFile() ? QUrl::fromLocalFile(page) : QUrl();
}

QUrl writeLocalCopy() {
    ImagePath::ensureResources();
    const QString folder = QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation))
                               .filePath(QStringLiteral("vantor-viewer-guide"));
    if (!QDir().mkpath(folder)) {
        return {};
    }
    // The page and the pictures it shows.
    const QDir guide(QStringLiteral(":/guide"));
    for (const QString& name : guide.entryList(QDir::Files)) {
        QFile in(guide.filePath(name));
        QSaveFile out(QDir(folder).filePath(name));
        if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly) ||
            out.write(in.readAll()) < 0 || !out.commit()) {
            return {};
        }
    }
    const QString page = QDir(folder).filePath(QStringLiteral("index.html"));
    return QFileInfo(page).isFile() ? QUrl::fromLocalFile(page) : QUrl();
}

QUrl pageUrl() {
    const QUrl installed = installedPage(QCoreApplication::applicationDirPath());
    return installed.isEmpty() ? writeLocalCopy() : installed;
}

Opening open() {
    const auto tr = [](const char* text) {
        return QCoreApplication::translate("manwindowClass", text);
    };
    const QUrl page = pageUrl();
    if (page.isEmpty()) {
        return {false, tr("The user guide could not be opened: its page could not be written.")};
    }
    const QString file = QDir::toNativeSeparators(page.toLocalFile());
    // Whether a browser then shows it is up to the desktop: the file's
    // place is said either way.
    if (QDesktopServices::openUrl(page)) {
        return {true, tr("User guide: %1").arg(file)};
    }
    return {false, tr("No web browser could be started to show the user guide. Open this file "
                      "in a browser:\n%1")
                       .arg(file)};
}

} // namespace UserGuide
