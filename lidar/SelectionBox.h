#pragma once

// The box, in metres, that picks the highlighted points and the statistics.
// Every face belongs to the box.
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
};
