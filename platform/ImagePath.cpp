#include "platform/ImagePath.h"

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
    ensureResources();
    const QString fileName = QFileInfo(name).fileName();
    if (name.startsWith(QLatin1Char(':'))) {
        return QFileInfo::exists(name) ? name : builtIn(fileName);
    }
    if (QFileInfo(name).isFile()) {
        return name;
    }
    if (QCoreApplication::instance() != nullptr) {
        const QString besideProgram = QDir(QCoreApplication::applicationDirPath()).filePath(name);
        if (QFileInfo(besideProgram).isFile()) {
            return QDir::cleanPath(besideProgram);
        }
    }
    return builtIn(fileName);
}

QIcon icon(const QString& name) {
    return QIcon(resolve(name));
}

} // namespace ImagePath
