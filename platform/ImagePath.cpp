#include "platform/ImagePath.h"

#include "platform/InstallLayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

// Resource initialisers live outside any namespace.
static void initialiseResources() {
    Q_INIT_RESOURCE(resources);
}

namespace ImagePath {

void ensureResources() {
    static const bool done = [] {
        initialiseResources();
        return true;
    }();
    (void)done;
}

QString builtIn(const QString& fileName) {
    return QStringLiteral(":/image/Resources/images/") + fileName;
}

QString resolve(const QString& name) {
    return resolve(name, QCoreApplication::instance() != nullptr
                             ? QCoreApplication::applicationDirPath()
                             : QString());
}

QString resolve(const QString& name, const QString& programFolder) {
    ensureResources();
    const QString fileName = QFileInfo(name).fileName();
    if (name.startsWith(QLatin1Char(':'))) {
        return QFileInfo::exists(name) ? name : builtIn(fileName);
    }
    if (QFileInfo(name).isFile()) {
        return name;
    }
    if (!programFolder.isEmpty()) {
        const QString besideProgram = QDir(programFolder).filePath(name);
        if (QFileInfo(besideProgram).isFile()) {
            return QDir::cleanPath(besideProgram);
        }
        const QString installed =
            InstallLayout::dataFolder(programFolder) + QStringLiteral("/images/") + fileName;
        if (QFileInfo(installed).isFile()) {
            return installed;
        }
    }
    return builtIn(fileName);
}

QIcon icon(const QString& name) {
    return QIcon(resolve(name));
}

} // namespace ImagePath
