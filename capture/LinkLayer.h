#pragma once

#include "lidar/DataPacket.h"
#include "lidar/SensorId.h"
#include "net/EthernetFrame.h"

#include <cstddef>
#include <cstdint>

// Finds the sensor's 1206-byte data payload inside one captured frame, and
// who sent it.
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

// A data datagram inside a captured frame.
struct DataDatagram {
    const std::uint8_t* payload = nullptr; // nullptr: the frame is no data packet
    SensorId source;                       // IPv4 source address and UDP source port
};

// Finds the data payload and its source. An untagged Ethernet frame is data
// when it is exactly 1248 bytes long and its payload passes isDataPayload;
// nothing else of it is examined, and its source is read from where an
// IPv4 header without options and a UDP header put it. VLAN-tagged Ethernet
// frames and Linux cooked frames must carry an unfragmented IPv4/UDP
// datagram whose UDP payload is 1206 bytes and passes isDataPayload.
DataDatagram dataDatagram(std::uint32_t linkType, const std::uint8_t* frame, std::size_t length);

// The payload of dataDatagram(), or nullptr.
inline const std::uint8_t* dataPayload(std::uint32_t linkType, const std::uint8_t* frame,
                                       std::size_t length) {
    return dataDatagram(linkType, frame, length).payload;
}

} // namespace LinkLayer
