#pragma once

#include <cstdint>

// One point of a frame as Python sees it: a row of the frame's NumPy
// structured array, with the values of the CSV export's row (x, y, z and
// distance in metres, azimuth in degrees). Two unused bytes keep every float
// aligned; they are always zero.
struct PointRecord {
    float x;
    float y;
    float z;
    std::uint8_t intensity;
    std::uint8_t channel;
    std::uint8_t unused[2];
    float azimuth;
    float distance;
};

static_assert(sizeof(PointRecord) == 24, "the NumPy dtype's item size");
