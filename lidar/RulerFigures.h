#pragma once

#include "lidar/ChannelGeometry.h"

#include <QString>

// What the ruler tells of two points, in metres: the straight distance, the
// distance in the horizontal plane and how much higher the second point is
// than the first (negative when lower).
struct RulerFigures {
    double distance = 0;
    double horizontal = 0;
    double height = 0;

    static RulerFigures between(const PointXyz& from, const PointXyz& to);

    // The three figures with three decimals, one per line.
    QString text() const;
};
