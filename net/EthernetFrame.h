#pragma once

#include <cstddef>
#include <cstdint>

// Where the fields stand in an untagged Ethernet II frame that carries an
// IPv4 datagram without options and a UDP datagram: the frames the sensor
// sends, as they appear on the wire and in capture files.
namespace EthernetFrame {

constexpr std::size_t kEthernetHeader = 14;
constexpr std::size_t kIpv4Header = 20;
constexpr std::size_t kUdpHeader = 8;
// Where the UDP payload starts: 42.
constexpr std::size_t kUdpPayload = kEthernetHeader + kIpv4Header + kUdpHeader;

constexpr std::size_t kMacSize = 6;
constexpr std::size_t kSourceMac = 6;
constexpr std::size_t kEtherType = 12;
constexpr std::uint16_t kEtherTypeIpv4 = 0x0800;

// IPv4 header fields, counted from the start of the frame.
constexpr std::size_t kIpv4 = kEthernetHeader;
constexpr std::size_t kIpv4Source = kIpv4 + 12;      // 26
constexpr std::size_t kIpv4Destination = kIpv4 + 16; // 30
constexpr std::uint8_t kProtocolUdp = 17;

} // namespace EthernetFrame
