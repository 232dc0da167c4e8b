#pragma once

#include "lidar/ChannelGeometry.h"

// An axis-aligned box in metres, as set by area picking or typed in as
// coordinate ranges; it picks the highlighted points, the statistics and
// the exported points. Every face belongs to the box.
struct SelectionBox {
    float xMin = 0;
    float xMax = 0;
    float yMin = 0;
    float yMax = 0;
    float zMin = 0;
    float zMax = 0;

    bool contains(float x, float y, float z) const {
        return xMin <= x && x <= xMax && yMin <= y && y <= yMax && zMin <= z && z <= zMax;
    }
    bool contains(const PointXyz& p) const { return contains(p.x, p.y, p.z); }
};
