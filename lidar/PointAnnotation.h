#pragma once

#include <QString>

// The text the view shows for the point under the mouse.
namespace PointAnnotation {

// Degrees counter-clockwise from the x axis, 0 up to below 360; 0 at the
// origin, where it has no direction.
double azimuthDegrees(double x, double y);

// "Distance:1.414214    Azimuth:135.000000"
QString text(double x, double y, double z);

} // namespace PointAnnotation
