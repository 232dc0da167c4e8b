#include "lidar/ExportedPoints.h"

#include <array>

void ExportedPoints::groupByChannel(const MuchLidarData& frame) {
    constexpr int channels = DataPacket::kChannelCount;
    std::array<std::uint32_t, channels + 1> start{};
    for (const std::int32_t c : frame.laserIds) {
        if (c >= 0 && c < channels) {
            ++start[c + 1];
        }
    }
    for (int c = 0; c < channels; ++c) {
        start[c + 1] += start[c];
    }
    order_.resize(start[channels]);
    for (std::uint32_t i = 0; i < frame.size(); ++i) {
        const std::int32_t c = frame.laserIds[i];
        if (c >= 0 && c < channels) {
            order_[start[c]++] = i;
        }
    }
}
