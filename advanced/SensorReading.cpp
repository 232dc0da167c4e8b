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

DeviceReport SensorReading::report() const {
    DeviceReport r;
    std::copy_n(frame_.begin() + EthernetFrame::kIpv4Source, r.sender.size(), r.sender.begin());
    std::copy_n(packet().data(), r.packet.size(), r.packet.begin());
    r.received = DeviceReport::Clock::now();
    return r;
}
