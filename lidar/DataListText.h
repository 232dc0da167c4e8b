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

// The text of one cell.
QString cell(const DataListRow& row, int column);
// For each column, a text of the greatest length its format produces for
// values the sensor can send.
std::array<QString, kColumnCount> longestCells();

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
