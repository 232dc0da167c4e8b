#include "python/SensorAddress.h"

#include "lidar/ByteSpan.h"
#include "lidar/DataPacket.h"
#include "net/EthernetFrame.h"
#include "net/UdpSocket.h"

#include <charconv>

std::string SensorAddress::addressText() const {
    return std::to_string(address >> 24) + '.' + std::to_string(address >> 16 & 0xFF) + '.' +
           std::to_string(address >> 8 & 0xFF) + '.' + std::to_string(address & 0xFF);
}

std::string SensorAddress::text() const {
    return known() ? addressText() + ':' + std::to_string(port) : std::string();
}

bool SensorAddress::parse(const std::string& text, SensorAddress& sensor) {
    const std::size_t colon = text.find(':');
    SensorAddress parsed;
    if (!UdpSocket::parseAddress(text.substr(0, colon), parsed.address)) {
        return false;
    }
    if (colon != std::string::npos) {
        const char* first = text.data() + colon + 1;
        const char* last = text.data() + text.size();
        unsigned port = 0;
        const auto [end, error] = std::from_chars(first, last, port);
        if (error != std::errc() || end != last || first == last || port < 1 || port > 65535) {
            return false;
        }
        parsed.port = static_cast<std::uint16_t>(port);
    }
    sensor = parsed;
    return true;
}

SensorAddress SensorAddress::ofCapturedPayload(const std::uint8_t* payload) {
    using namespace EthernetFrame;
    constexpr std::size_t headers = kIpv4Header + kUdpHeader;
    const ByteSpan span(payload - headers, headers);
    const bool plainIpv4 = span.u8(0) == 0x45 && span.be16(2) == headers + DataPacket::kSize &&
                           span.u8(9) == kProtocolUdp;
    if (!plainIpv4) {
        return {};
    }
    SensorAddress sensor;
    sensor.address = span.be32(12);
    sensor.port = span.be16(kIpv4Header);
    return sensor;
}
