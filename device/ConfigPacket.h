#pragma once

#include "device/ConfigFields.h"
#include "device/DeviceInfoPacket.h"

#include <QDateTime>
#include <QString>
#include <optional>
#include <string>

// The configuration packet: a copy of the last device-information packet
// with the settings of the laser configuration window written over it.
namespace ConfigPacket {

// The sensor listens for configuration packets on this port of its address.
constexpr std::uint16_t kSensorPort = 2368;
// Used when the sensor reports no usable address of its own.
constexpr AddressBytes kDefaultSensorAddress{192, 168, 1, 200};
// A configuration packet starts with these bytes and ends with the trailer.
constexpr std::array<std::uint8_t, 8> kHeader{0xAA, 0x00, 0xFF, 0x11, 0x22, 0x22, 0xAA, 0xAA};
constexpr std::array<std::uint8_t, 2> kTrailer{0x0F, 0xF0};

struct Built {
    // Why nothing may be sent, naming the field; empty when the packet is good.
    QString refusal;
    DeviceInfoPacket::Bytes packet{};
    // The address the sensor reports as its own, after the default-address
    // rule (the laser configuration window sends to the address the
    // sensor's packets come from).
    std::string destination;
    // The ports taken from the fields; empty when the reported one was kept.
    std::optional<std::uint16_t> dataPort;
    std::optional<std::uint16_t> equipmentPort;

    bool ok() const { return refusal.isEmpty(); }
};

// A reported sensor address of 0.0.0.0 or 255.255.255.255 is replaced by the
// default address. Returns whether it was replaced.
bool applyDefaultAddressRule(DeviceInfoPacket::Bytes& info);

// What the sensor takes as a configuration packet: exactly the packet's size,
// the header at the start and the trailer at the end.
bool isConfigPacket(const std::uint8_t* data, std::size_t size);

// `now` is the host's local time, written when the fields ask for it.
Built build(const DeviceInfoPacket::Bytes& lastInfo, const ConfigFields& fields,
            const QDateTime& now);

} // namespace ConfigPacket
