#pragma once

#include "device/DeviceInfoPacket.h"

#include <QDateTime>
#include <cstdint>

// The configuration packet of the sensor's factory settings: 300 rpm,
// address 192.168.1.200 sending to 192.168.1.102, ports 2368 and 2369,
// packet interval 1, and the host's local time.
namespace DefaultConfigPacket {

DeviceInfoPacket::Bytes build(const QDateTime& now);

// Whether `data` is such a packet, whatever time it carries.
bool isDefaultConfigPacket(const std::uint8_t* data, std::size_t size);

} // namespace DefaultConfigPacket
