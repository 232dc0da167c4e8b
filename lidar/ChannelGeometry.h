#pragma once

#include "lidar/AzimuthTrigTable.h"
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

    // The channel's beam angle above the horizontal plane, in degrees: the
    // higher the channel, the higher the beam.
    static double elevationDegrees(int channel) { return -17 + 0.25 * channel; }

    // The channel must be 0..127 (decoding drops every other value).
    PointXyz point(int channel, float azimuthDegrees, float distanceCm) const;
    // The z of point() alone, from the trigonometry of its azimuth (which
    // points of one firing share).
    static AzimuthTrigTable::Entry trigOf(float azimuthDegrees);
    float height(int channel, const AzimuthTrigTable::Entry& trig, float distanceCm) const;

    std::array<float, DataPacket::kChannelCount> cosElevation{};
    std::array<float, DataPacket::kChannelCount> sinBaseElevation{};
    std::array<float, DataPacket::kChannelCount> sinSubStep{};
};
