#include "app/UserGuide.h"

#include "platform/ImagePath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace UserGuide {

QString linkText() {
    return QStringLiteral("<a href=\"guide\">%1</a>")
        .arg(QCoreApplication::translate("manwindowClass", "User guide"));
}

QUrl writeLocalCopy() {
    ImagePath::ensureResources();
    QFile page(QStringLiteral(":/guide/index.html"));
    if (!page.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QString folder = QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation))
                               .filePath(QStringLiteral("vantor-viewer-guide"));
    if (!QDir().mkpath(folder)) {
        return {};
    }
    const QString path = QDir(folder).filePath(QStringLiteral("index.html"));
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(page.readAll()) < 0 || !out.commit()) {
        return {};
    }
    return QUrl::fromLocalFile(path);
}

} // namespace UserGuide
