#pragma once

#include "lidar/ChannelGeometry.h"

// An axis-aligned box in metres, as set by area picking or typed in as
// coordinate ranges. Every face belongs to the box.
struct SelectionBox {
    float xMin = 0;
    float xMax = 0;
    float yMin = 0;
    float yMax = 0;
    float zMin = 0;
    float zMax = 0;

    bool contains(const PointXyz& p) const {
        return xMin <= p.x && p.x <= xMax && yMin <= p.y && p.y <= yMax && zMin <= p.z &&
               p.z <= zMax;
    }
};
