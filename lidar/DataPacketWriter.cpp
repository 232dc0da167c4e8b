#include "lidar/DataPacketWriter.h"

#include <algorithm>
#include <cstring>
#include <utility>

DataPacketWriter::DataPacketWriter(OnPayload onPayload) : onPayload_(std::move(onPayload)) {}

void DataPacketWriter::addPoint(std::uint8_t channel, std::uint16_t azimuthRaw,
                                std::uint32_t distanceRaw, std::uint8_t intensity) {
    const std::uint8_t group[DataPacket::kGroupSize] = {
        channel,
        static_cast<std::uint8_t>(azimuthRaw >> 8),
        static_cast<std::uint8_t>(azimuthRaw),
        static_cast<std::uint8_t>(distanceRaw >> 16),
        static_cast<std::uint8_t>(distanceRaw >> 8),
        static_cast<std::uint8_t>(distanceRaw),
        intensity};
    put(group);
}

void DataPacketWriter::addMarker() {
    const std::uint8_t group[DataPacket::kGroupSize] = {0xFF, 0xAA, 0xBB, 0, 0, 0, 0};
    put(group);
}

void DataPacketWriter::addRawGroup(const std::array<std::uint8_t, DataPacket::kGroupSize>& group) {
    put(group.data());
}

void DataPacketWriter::put(const std::uint8_t* group) {
    std::memcpy(payload_.data() + groupIndex_ * DataPacket::kGroupSize, group,
                DataPacket::kGroupSize);
    if (++groupIndex_ == DataPacket::kGroupCount) {
        flush();
    }
}

void DataPacketWriter::flush() {
    if (groupIndex_ == 0) {
        return;
    }
    // Empty groups are FF followed by zeros: a payload never starts FF FF,
    // which capture readers would not take for data.
    for (std::size_t g = groupIndex_; g < DataPacket::kGroupCount; ++g) {
        std::uint8_t* group = payload_.data() + g * DataPacket::kGroupSize;
        group[0] = DataPacket::kNoPoint;
        std::fill(group + 1, group + DataPacket::kGroupSize, 0);
    }
    std::fill(payload_.begin() + DataPacket::kGroupBytes, payload_.end(), 0);
    onPayload_(payload_);
    groupIndex_ = 0;
}
