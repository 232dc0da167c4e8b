#pragma once

#include "lidar/DataPacket.h"
#include "net/EthernetFrame.h"

#include <cstddef>
#include <cstdint>

// Finds the sensor's 1206-byte data payload inside one captured frame.
namespace LinkLayer {

// Link types as capture files number them.
constexpr std::uint32_t kEthernet = 1;
constexpr std::uint32_t kLinuxCooked = 113;  // SLL, 16-byte header
constexpr std::uint32_t kLinuxCooked2 = 276; // SLL2, 20-byte header

// An untagged Ethernet frame of one data datagram: 1248 bytes.
constexpr std::size_t kEthernetDataFrame = EthernetFrame::kUdpPayload + DataPacket::kSize;

bool isSupported(std::uint32_t linkType);

// A payload is data unless it starts like a device-information packet
// (A5 first or FF second).
bool isDataPayload(const std::uint8_t* payload);

// Returns the start of the data payload, or nullptr when the frame is not a
// data packet. An untagged Ethernet frame is data when it is exactly 1248
// bytes long and its payload passes isDataPayload; nothing else of it is
// examined. VLAN-tagged Ethernet frames and Linux cooked frames must carry
// an unfragmented IPv4/UDP datagram whose UDP payload is 1206 bytes and
// passes isDataPayload.
const std::uint8_t* dataPayload(std::uint32_t linkType, const std::uint8_t* frame,
                                std::size_t length);

} // namespace LinkLayer
