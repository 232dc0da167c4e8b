#pragma once

#include "lidar/BoxStatistics.h"
#include "lidar/DataListRow.h"

#include <QString>
#include <QStringList>
#include <array>

// The texts of the data list and of the three statistics labels.
namespace DataListText {

constexpr int kColumnCount = 6;

// "PointID", "Points_m_XYZ", "Distance", "Azimuth", "Intensity", "Laser_ID".
QStringList headers();
// Column widths in pixels, in header order.
std::array<int, kColumnCount> columnWidths();

std::array<QString, kColumnCount> cells(const DataListRow& row);

struct StatisticsTexts {
    QString x;
    QString y;
    QString z;
};

// The labels for a frame: the extent of the in-box points, or one blank each
// when no point lies in the box.
StatisticsTexts statistics(const BoxStatistics& s);
// The labels before the first frame.
StatisticsTexts initialStatistics();

} // namespace DataListText
