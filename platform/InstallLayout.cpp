#include "platform/InstallLayout.h"

#include <QCoreApplication>
#include <QDir>

namespace InstallLayout {

QString dataFolder(const QString& programFolder) {
    return QDir::cleanPath(programFolder + QStringLiteral("/../share/vantor-viewer"));
}

QString dataFolder() {
    if (QCoreApplication::instance() == nullptr) {
        return QString();
    }
    return dataFolder(QCoreApplication::applicationDirPath());
}

} // namespace InstallLayout
