#include "capture/LinkLayer.h"

#include "lidar/ByteSpan.h"
#include "lidar/DataPacket.h"

namespace LinkLayer {
namespace {

using EthernetFrame::kUdpHeader;

bool isVlanTag(std::uint16_t etherType) {
    return etherType == 0x8100 || etherType == 0x88A8 || etherType == 0x9100;
}

// The UDP payload of an IPv4 datagram that starts at `offset`, if it is a
// whole data packet.
DataDatagram ipv4DataDatagram(ByteSpan frame, std::size_t offset) {
    if (!frame.contains(offset, EthernetFrame::kIpv4Header)) {
        return {};
    }
    const std::uint8_t versionAndLength = frame.u8(offset);
    const std::size_t headerLength = (versionAndLength & 0x0F) * 4u;
    const std::size_t totalLength = frame.be16(offset + 2);
    const bool fragment = (frame.be16(offset + 6) & 0x3FFF) != 0;
    if (versionAndLength >> 4 != 4 || headerLength < EthernetFrame::kIpv4Header || fragment ||
        frame.u8(offset + 9) != EthernetFrame::kProtocolUdp ||
        totalLength != headerLength + kUdpHeader + DataPacket::kSize ||
        !frame.contains(offset, totalLength)) {
        return {};
    }
    const std::size_t udp = offset + headerLength;
    if (frame.be16(udp + 4) != kUdpHeader + DataPacket::kSize) {
        return {};
    }
    const std::uint8_t* payload = frame.data() + udp + kUdpHeader;
    if (!isDataPayload(payload)) {
        return {};
    }
    return {payload, {frame.be32(offset + 12), frame.be16(udp)}};
}

// Skips VLAN tags, then expects IPv4. `data` is where the bytes announced
// by `etherType` start.
DataDatagram datagramAfterEtherType(ByteSpan frame, std::uint16_t etherType, std::size_t data) {
    while (isVlanTag(etherType) && frame.contains(data, 4)) {
        etherType = frame.be16(data + 2);
        data += 4;
    }
    return etherType == EthernetFrame::kEtherTypeIpv4 ? ipv4DataDatagram(frame, data)
                                                      : DataDatagram{};
}

} // namespace

bool isSupported(std::uint32_t linkType) {
    return linkType == kEthernet || linkType == kLinuxCooked || linkType == kLinuxCooked2;
}

bool isDataPayload(const std::uint8_t* payload) {
    return payload[0] != 0xA5 && payload[1] != 0xFF;
}

DataDatagram dataDatagram(std::uint32_t linkType, const std::uint8_t* frame, std::size_t length) {
    const ByteSpan span(frame, length);
    switch (linkType) {
    case kEthernet:
        if (span.contains(0, EthernetFrame::kEthernetHeader) &&
            isVlanTag(span.be16(EthernetFrame::kEtherType))) {
            return datagramAfterEtherType(span, span.be16(EthernetFrame::kEtherType),
                                          EthernetFrame::kEthernetHeader);
        }
        if (length == kEthernetDataFrame && isDataPayload(frame + EthernetFrame::kUdpPayload)) {
            return {frame + EthernetFrame::kUdpPayload,
                    {span.be32(EthernetFrame::kIpv4Source),
                     span.be16(EthernetFrame::kIpv4 + EthernetFrame::kIpv4Header)}};
        }
        return {};
    case kLinuxCooked:
        return span.contains(0, 16) ? datagramAfterEtherType(span, span.be16(14), 16)
                                    : DataDatagram{};
    case kLinuxCooked2:
        return span.contains(0, 20) ? datagramAfterEtherType(span, span.be16(0), 20)
                                    : DataDatagram{};
    default:
        return {};
    }
}

} // namespace LinkLayer
