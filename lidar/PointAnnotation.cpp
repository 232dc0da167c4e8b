#include "lidar/PointAnnotation.h"

#include <cmath>

namespace PointAnnotation {

double azimuthDegrees(double x, double y) {
    const double horizontal = std::sqrt(x * x + y * y);
    if (horizontal == 0) {
        return 0;
    }
    // The angle to the x axis, then placed in its quadrant. Points on the
    // negative axes belong to the half-turn they start (180 and 270).
    const double a = std::asin(std::fabs(y) / horizontal) * 57.2957795;
    if (x < 0 && y >= 0) {
        return 180 - a;
    }
    if (x <= 0 && y < 0) {
        return 180 + a;
    }
    if (x > 0 && y < 0) {
        return 360 - a;
    }
    return a;
}

QString text(double x, double y, double z) {
    const double distance = std::sqrt(x * x + y * y + z * z);
    return QStringLiteral("Distance:") + QString::number(distance, 'f', 6) +
           QStringLiteral("    Azimuth:") + QString::number(azimuthDegrees(x, y), 'f', 6);
}

} // namespace PointAnnotation
