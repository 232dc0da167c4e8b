#include "platform/InstallLayout.h"

#include <QDir>

namespace InstallLayout {

QString dataFolder(const QString& programFolder) {
    return QDir::cleanPath(programFolder + QStringLiteral("/../share/vantor-viewer"));
}

} // namespace InstallLayout
