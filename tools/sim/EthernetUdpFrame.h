#pragma once

#include "net/EthernetFrame.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Wraps a UDP payload into an Ethernet II / IPv4 / UDP frame as it appears on
// the wire and in capture files: 14 + 20 + 8 header bytes, no IP options,
// both checksums filled in.
class EthernetUdpFrame {
public:
    struct Endpoints {
        std::uint32_t sourceAddress = 0; // host byte order
        std::uint32_t destinationAddress = 0;
        std::uint16_t sourcePort = 0;
        std::uint16_t destinationPort = 0;
    };

    static std::vector<std::uint8_t> build(const Endpoints& endpoints, std::uint16_t ipId,
                                           const std::uint8_t* payload, std::size_t size);

    // The one's-complement sum used by IPv4 and UDP, folded to 16 bits and
    // not yet inverted; `sum` carries a partial sum in.
    static std::uint32_t onesComplementSum(const std::uint8_t* data, std::size_t size,
                                           std::uint32_t sum = 0);
    static std::uint16_t fold(std::uint32_t sum);
};
