#pragma once

#include "lidar/DataPacket.h"

#include <array>
#include <cstdint>
#include <functional>

// Packs point groups and frame markers into 1206-byte data payloads, the
// inverse of the decoding. Used by the sensor simulator and by tests.
class DataPacketWriter {
public:
    using Payload = std::array<std::uint8_t, DataPacket::kSize>;
    using OnPayload = std::function<void(const Payload&)>;

    explicit DataPacketWriter(OnPayload onPayload);

    // distanceRaw is in 1/256 cm and must fit 24 bits; azimuthRaw in 0.01°.
    void addPoint(std::uint8_t channel, std::uint16_t azimuthRaw, std::uint32_t distanceRaw,
                  std::uint8_t intensity);
    void addMarker();
    // Writes the group as it stands (seven bytes).
    void addRawGroup(const std::array<std::uint8_t, DataPacket::kGroupSize>& group);
    // Fills the rest of the current payload with empty groups and hands it out.
    void flush();

    std::size_t pendingGroups() const { return groupIndex_; }

private:
    void put(const std::uint8_t* group);

    OnPayload onPayload_;
    Payload payload_{};
    std::size_t groupIndex_ = 0;
};
