#include "lidar/CsvFileNames.h"

namespace CsvFileNames {

QString singleFrame(const QDateTime& localTime) {
    return stamped(localTime, QStringLiteral("csv"));
}

QString stamped(const QDateTime& localTime, const QString& suffix) {
    return QStringLiteral("Vantor_") + localTime.toString(QStringLiteral("yyyy-MM-dd-hh-mm-ss")) +
           QLatin1Char('.') + suffix;
}

QString multiFrame(const QDateTime& localTime, int frameCount) {
    return QStringLiteral("Vantor_") + localTime.toString(QStringLiteral("yyyy-MM-dd-hh-mm")) +
           QLatin1Char('_') + QString::number(frameCount) + QStringLiteral("Frame.csv");
}

} // namespace CsvFileNames
