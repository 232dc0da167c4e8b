#pragma once

// Extent and mean height of the points of one frame that lie inside the
// selection box.
struct BoxStatistics {
    int count = 0;
    float xMin = 0;
    float xMax = 0;
    float yMin = 0;
    float yMax = 0;
    float zMin = 0;
    float zMax = 0;
    double sumY = 0;

    void add(float x, float y, float z) {
        if (count == 0) {
            xMin = xMax = x;
            yMin = yMax = y;
            zMin = zMax = z;
        } else {
            xMin = x < xMin ? x : xMin;
            xMax = x > xMax ? x : xMax;
            yMin = y < yMin ? y : yMin;
            yMax = y > yMax ? y : yMax;
            zMin = z < zMin ? z : zMin;
            zMax = z > zMax ? z : zMax;
        }
        sumY += y;
        ++count;
    }
    double averageY() const { return count > 0 ? sumY / count : 0.0; }
};
