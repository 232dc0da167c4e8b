#pragma once

#include "lidar/DataPacket.h"

#include <array>

struct PointXyz {
    float x = 0;
    float y = 0;
    float z = 0;
};

// The per-channel angle tables and the conversion of (channel, azimuth,
// distance) to x, y, z in metres. Pi is taken as 3.14159 throughout, and the
// mix of single and double precision is part of the sensor's definition:
// results must match it to the bit.
class ChannelGeometry {
public:
    static constexpr double kPi = 3.14159;

    ChannelGeometry();

    // The channel must be 0..127 (decoding drops every other value).
    PointXyz point(int channel, float azimuthDegrees, float distanceCm) const;

    std::array<float, DataPacket::kChannelCount> cosElevation{};
    std::array<float, DataPacket::kChannelCount> sinBaseElevation{};
    std::array<float, DataPacket::kChannelCount> sinSubStep{};
};
