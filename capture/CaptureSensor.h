#pragma once

#include "lidar/SensorId.h"

#include <algorithm>
#include <cstdint>
#include <vector>

// The index of one sensor's data packets in a capture: where they lie and
// which of them hold its frame markers. Packets are numbered from 0 in file
// order among this sensor's packets only.
struct CaptureSensor {
    SensorId id;
    // Where each data packet's 1206 bytes start in the file.
    std::vector<std::uint64_t> packetOffsets;
    // For each frame marker, counted at group boundaries, the packet holding it.
    std::vector<std::int32_t> frameStartPackets;

    int packetCount() const { return static_cast<int>(packetOffsets.size()); }
    // Frame markers: frame 0 comes before the first, so the frames that can
    // be shown are 0..frameCount()-1, the whole ones frameCount()-1.
    int frameCount() const { return static_cast<int>(frameStartPackets.size()); }
    // The frame that packet `packet` starts in: 0 before the first marker.
    int frameOfPacket(int packet) const {
        return static_cast<int>(
            std::lower_bound(frameStartPackets.begin(), frameStartPackets.end(), packet) -
            frameStartPackets.begin());
    }
};
