#include "lidar/DataListText.h"

namespace DataListText {

QStringList headers() {
    return {QStringLiteral("PointID"), QStringLiteral("Points_m_XYZ"), QStringLiteral("Distance"),
            QStringLiteral("Azimuth"), QStringLiteral("Intensity"),    QStringLiteral("Laser_ID")};
}

std::array<int, kColumnCount> columnWidths() {
    return {70, 140, 70, 70, 70, 70};
}

std::array<QString, kColumnCount> cells(const DataListRow& row) {
    const auto fixed = [](double v, int decimals) { return QString::number(v, 'f', decimals); };
    // The distance is divided in single precision, as the record holds it.
    const float metres = row.distanceCm / 100;
    return {fixed(row.index, 0),
            fixed(row.x, 4) + QLatin1Char(' ') + fixed(row.y, 4) + QLatin1Char(' ') +
                fixed(row.z, 4),
            fixed(metres, 8),
            fixed(row.azimuthDegrees, 3),
            fixed(row.intensity, 4),
            fixed(row.channel, 4)};
}

StatisticsTexts statistics(const BoxStatistics& s) {
    if (s.count < 1) {
        return {QStringLiteral(" "), QStringLiteral(" "), QStringLiteral(" ")};
    }
    const auto g = [](double v) { return QString::number(v, 'g', 6); };
    const QString prefix = QStringLiteral("selectP:");
    return {prefix + QStringLiteral(" X_max:  ") + g(s.xMax) + QStringLiteral("\t\tX_min:  ") +
                g(s.xMin),
            prefix + QStringLiteral(" Y_max:  ") + g(s.yMax) + QStringLiteral("\t\tY_min:  ") +
                g(s.yMin) + QStringLiteral("\t\tY_average:  ") + g(s.averageY()),
            prefix + QStringLiteral(" Z_max:  ") + g(s.zMax) + QStringLiteral("\t\tZ_min:  ") +
                g(s.zMin)};
}

StatisticsTexts initialStatistics() {
    return {QStringLiteral("selectP: X_max:  X_min:  "),
            QStringLiteral("selectP: Y_max:\t\t\t\tY_min:\t\t\t\tY_average:\t\t"),
            QStringLiteral("selectP: Z_max:  Z_min:  ")};
}

} // namespace DataListText
