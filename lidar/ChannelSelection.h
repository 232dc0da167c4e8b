#pragma once

#include "lidar/DataPacket.h"

#include <array>

// Which channels are shown. The channel selection dialog writes it on OK;
// the frame conversion and picking read it. laserIndex maps a channel to its
// entry in laserSelected and stays the identity.
struct ChannelSelection {
    std::array<int, DataPacket::kChannelCount> laserSelected{};
    std::array<int, DataPacket::kChannelCount> laserIndex{};

    ChannelSelection() {
        for (int c = 0; c < DataPacket::kChannelCount; ++c) {
            laserSelected[c] = 1;
            laserIndex[c] = c;
        }
    }

    bool shows(int channel) const {
        return channel >= 0 && channel < DataPacket::kChannelCount &&
               laserSelected[laserIndex[channel]] != 0;
    }
};
