#pragma once

#include "lidar/MuchLidarData.h"

#include <cstddef>
#include <cstdint>

// Layout of the sensor's 1206-byte data datagram: 171 point groups of seven
// bytes, then a 9-byte trailer that nothing reads.
namespace DataPacket {

constexpr std::size_t kSize = 1206;
constexpr std::size_t kGroupSize = 7;
constexpr std::size_t kGroupCount = 171;
constexpr std::size_t kGroupBytes = kGroupSize * kGroupCount; // 1197
constexpr int kChannelCount = 128;
constexpr std::uint8_t kNoPoint = 0xFF;

// A group starting FF AA BB closes one frame and opens the next.
inline bool isFrameMarker(const std::uint8_t* group) {
    return group[0] == 0xFF && group[1] == 0xAA && group[2] == 0xBB;
}

// Appends the point of one group to `frame`. Groups starting with 0xFF carry
// no point; channel bytes 128..254 lie outside every per-channel table and
// are dropped here, so no later stage sees them. Returns whether a point
// was appended.
inline bool decodeGroup(const std::uint8_t* group, MuchLidarData& frame) {
    const std::uint8_t channel = group[0];
    if (channel >= kChannelCount) {
        return false;
    }
    const auto azimuthRaw = static_cast<std::uint16_t>(group[1] << 8 | group[2]);
    const auto distanceRaw = static_cast<std::uint32_t>(group[3]) << 16 |
                             static_cast<std::uint32_t>(group[4]) << 8 | group[5];
    frame.append(channel, static_cast<float>(azimuthRaw) / 100.0f,
                 static_cast<float>(static_cast<double>(distanceRaw) / 256.0), group[6]);
    return true;
}

} // namespace DataPacket
