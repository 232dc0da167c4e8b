#include "platform/InstallLayout.h"

#include <QDir>

namespace InstallLayout {

QString dataFolder(const QString& programFolder) {
    return QDir::cleanPath(programFolder + QStringLiteral("/../share/vantor-viewer"));
}

QString program(const QString& programFolder, const QString& name) {
    return QDir::cleanPath(programFolder + QLatin1Char('/') + name);
}

} // namespace InstallLayout
