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

struct Built {
    // Why nothing may be sent, naming the field; empty when the packet is good.
    QString refusal;
    DeviceInfoPacket::Bytes packet{};
    // The sensor's current address, where the packet goes.
    std::string destination;
    // The ports taken from the fields; empty when the reported one was kept.
    std::optional<std::uint16_t> dataPort;
    std::optional<std::uint16_t> equipmentPort;

    bool ok() const { return refusal.isEmpty(); }
};

// A reported sensor address of 0.0.0.0 or 255.255.255.255 is replaced by the
// default address. Returns whether it was replaced.
bool applyDefaultAddressRule(DeviceInfoPacket::Bytes& info);

// `now` is the host's local time, written when the fields ask for it.
Built build(const DeviceInfoPacket::Bytes& lastInfo, const ConfigFields& fields,
            const QDateTime& now);

} // namespace ConfigPacket
