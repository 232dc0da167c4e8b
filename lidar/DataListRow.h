#pragma once

#include <cstdint>

// One row of the data list: a shown point with the row it goes to.
struct DataListRow {
    int index = 0;
    float x = 0;
    float y = 0;
    float z = 0;
    float distanceCm = 0;
    float azimuthDegrees = 0;
    std::int32_t intensity = 0;
    std::int32_t channel = 0;
};
