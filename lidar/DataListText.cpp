#include "lidar/DataListText.h"

namespace DataListText {

QStringList headers() {
    return {QStringLiteral("PointID"), QStringLiteral("Points_m_XYZ"), QStringLiteral("Distance"),
            QStringLiteral("Azimuth"), QStringLiteral("Intensity"),    QStringLiteral("Laser_ID")};
}

std::array<int, kColumnCount> columnWidths() {
    return {70, 140, 70, 70, 70, 70};
}

QString cell(const DataListRow& row, int column) {
    const auto fixed = [](double v, int decimals) { return QString::number(v, 'f', decimals); };
    switch (column) {
    case 0:
        return fixed(row.index, 0);
    case 1:
        return fixed(row.x, 4) + QLatin1Char(' ') + fixed(row.y, 4) + QLatin1Char(' ') +
               fixed(row.z, 4);
    case 2:
        // Divided in single precision, as the record holds it.
        return fixed(row.distanceCm / 100, 8);
    case 3:
        return fixed(row.azimuthDegrees, 3);
    case 4:
        return fixed(row.intensity, 4);
    case 5:
        return fixed(row.channel, 4);
    default:
        return {};
    }
}

std::array<QString, kColumnCount> longestCells() {
    // Distances and azimuths at the top of their fields (24 and 16 bits),
    // coordinates as far out as such a distance reaches, and more rows than
    // a frame of the sensor holds.
    DataListRow row;
    row.index = 9999999;
    row.x = row.y = row.z = -655.36f;
    row.distanceCm = 0xFFFFFF / 256.0f;
    row.azimuthDegrees = 0xFFFF / 100.0f;
    row.intensity = 255;
    row.channel = 127;
    std::array<QString, kColumnCount> texts;
    for (int c = 0; c < kColumnCount; ++c) {
        texts[static_cast<std::size_t>(c)] = cell(row, c);
    }
    return texts;
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
