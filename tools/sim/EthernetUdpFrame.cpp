#include "tools/sim/EthernetUdpFrame.h"

#include <cstring>

namespace {

void put16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value >> 8);
    at[1] = static_cast<std::uint8_t>(value);
}

void put32(std::uint8_t* at, std::uint32_t value) {
    put16(at, static_cast<std::uint16_t>(value >> 16));
    put16(at + 2, static_cast<std::uint16_t>(value));
}

} // namespace

std::uint32_t EthernetUdpFrame::onesComplementSum(const std::uint8_t* data, std::size_t size,
                                                  std::uint32_t sum) {
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        sum += static_cast<std::uint32_t>(data[i] << 8 | data[i + 1]);
    }
    if (size % 2 == 1) {
        sum += static_cast<std::uint32_t>(data[size - 1] << 8);
    }
    return sum;
}

std::uint16_t EthernetUdpFrame::fold(std::uint32_t sum) {
    while (sum >> 16) {
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return static_cast<std::uint16_t>(sum);
}

std::vector<std::uint8_t> EthernetUdpFrame::build(const Endpoints& e, std::uint16_t ipId,
                                                  const std::uint8_t* payload, std::size_t size) {
    std::vector<std::uint8_t> frame(EthernetFrame::kUdpPayload + size);
    std::uint8_t* eth = frame.data();
    // Locally administered addresses: the frame belongs to no real adapter.
    const std::uint8_t destinationMac[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x66};
    const std::uint8_t sourceMac[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0xC8};
    std::memcpy(eth, destinationMac, 6);
    std::memcpy(eth + EthernetFrame::kSourceMac, sourceMac, 6);
    put16(eth + EthernetFrame::kEtherType, EthernetFrame::kEtherTypeIpv4);

    std::uint8_t* ip = eth + EthernetFrame::kEthernetHeader;
    ip[0] = 0x45; // version 4, five 32-bit header words
    ip[1] = 0;
    put16(ip + 2, static_cast<std::uint16_t>(EthernetFrame::kIpv4Header +
                                             EthernetFrame::kUdpHeader + size));
    put16(ip + 4, ipId);
    put16(ip + 6, 0x4000); // don't fragment
    ip[8] = 64;            // time to live
    ip[9] = EthernetFrame::kProtocolUdp;
    put32(ip + 12, e.sourceAddress);
    put32(ip + 16, e.destinationAddress);
    put16(ip + 10,
          static_cast<std::uint16_t>(~fold(onesComplementSum(ip, EthernetFrame::kIpv4Header))));

    std::uint8_t* udp = ip + EthernetFrame::kIpv4Header;
    const auto udpLength = static_cast<std::uint16_t>(EthernetFrame::kUdpHeader + size);
    put16(udp, e.sourcePort);
    put16(udp + 2, e.destinationPort);
    put16(udp + 4, udpLength);
    std::memcpy(udp + EthernetFrame::kUdpHeader, payload, size);
    // Pseudo-header: addresses, protocol, UDP length.
    std::uint32_t sum = onesComplementSum(ip + 12, 8);
    sum += 17 + udpLength;
    sum = onesComplementSum(udp, udpLength, sum);
    std::uint16_t checksum = static_cast<std::uint16_t>(~fold(sum));
    put16(udp + 6, checksum == 0 ? 0xFFFF : checksum); // 0 would mean "none"
    return frame;
}
