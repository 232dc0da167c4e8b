#include "lidar/RulerFigures.h"

#include <QCoreApplication>
#include <cmath>

RulerFigures RulerFigures::between(const PointXyz& from, const PointXyz& to) {
    // In double: the figures are printed to the millimetre, and a float
    // difference of two points 200 m out is already coarser than that.
    const double dx = static_cast<double>(to.x) - from.x;
    const double dy = static_cast<double>(to.y) - from.y;
    const double dz = static_cast<double>(to.z) - from.z;
    RulerFigures f;
    f.horizontal = std::hypot(dx, dy);
    f.distance = std::hypot(f.horizontal, dz);
    f.height = dz;
    return f;
}

QString RulerFigures::text() const {
    const auto metres = [](double v) { return QString::number(v, 'f', 3); };
    // Below half a millimetre the height is neither up nor down.
    const double shownHeight = std::abs(height) < 0.0005 ? 0.0 : height;
    return QCoreApplication::translate("manwindowClass", "%1 m\nhorizontal %2 m\nheight %3%4 m")
        .arg(metres(distance), metres(horizontal),
             shownHeight > 0 ? QStringLiteral("+") : QString(), metres(shownHeight));
}
