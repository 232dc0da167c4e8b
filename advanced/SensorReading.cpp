#include "advanced/SensorReading.h"

#include "capture/DeviceInfoFrame.h"

#include <algorithm>

std::optional<SensorReading> SensorReading::fromFrame(std::vector<std::uint8_t> frame) {
    if (!DeviceInfoFrame::isDeviceInfoFrame(frame.data(), frame.size())) {
        return std::nullopt;
    }
    return SensorReading(std::move(frame));
}

ByteSpan SensorReading::packet() const {
    return frame().sub(DeviceInfoFrame::kPayloadOffset, DeviceInfoPacket::kSize);
}

QString SensorReading::senderAddress() const {
    return DeviceInfoPacket::addressText(frame(), DeviceInfoFrame::kSourceAddressOffset);
}

bool SensorReading::sameSender(const SensorReading& other) const {
    const auto same = [&](std::size_t offset, std::size_t count) {
        return std::equal(frame_.begin() + static_cast<std::ptrdiff_t>(offset),
                          frame_.begin() + static_cast<std::ptrdiff_t>(offset + count),
                          other.frame_.begin() + static_cast<std::ptrdiff_t>(offset));
    };
    return same(EthernetFrame::kSourceMac, EthernetFrame::kMacSize) &&
           same(EthernetFrame::kIpv4Source, DeviceInfoPacket::kAddressSize);
}
