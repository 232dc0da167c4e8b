#pragma once

#include "lidar/SelectionBox.h"

// A box typed in as coordinate ranges, in metres. The dialog keeps doubles;
// the window's selection box keeps floats, which convert both ways without
// loss.
struct PointRange {
    double xMin = 0;
    double xMax = 0;
    double yMin = 0;
    double yMax = 0;
    double zMin = 0;
    double zMax = 0;

    static PointRange of(const SelectionBox& b) {
        return {b.xMin, b.xMax, b.yMin, b.yMax, b.zMin, b.zMax};
    }
    SelectionBox box() const {
        return {static_cast<float>(xMin), static_cast<float>(xMax), static_cast<float>(yMin),
                static_cast<float>(yMax), static_cast<float>(zMin), static_cast<float>(zMax)};
    }
};
