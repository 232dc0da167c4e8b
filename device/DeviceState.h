#pragma once

#include "device/CalibrationTables.h"
#include "device/ConfigFields.h"
#include "device/DeviceInfoPacket.h"
#include "lidar/ByteSpan.h"

#include <array>
#include <cstdint>
#include <string>

// A reading of the sensor's clock, which runs in UTC.
struct DeviceTime {
    std::uint8_t yearSince2000 = 0;
    std::uint8_t month = 1;
    std::uint8_t day = 1;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
    std::uint16_t millisecond = 0;
    std::uint16_t microsecond = 0;

    bool operator==(const DeviceTime& o) const;
    bool operator!=(const DeviceTime& o) const { return !(*this == o); }
};

// What the sensor says about itself in a device-information packet, as plain
// values. A configuration packet has the same layout, so the settings it
// carries read back into one of these too.
struct DeviceState {
    static constexpr std::uint16_t kMotorRunning = 0;
    static constexpr std::uint16_t kMotorStopped = 1;

    AddressBytes sensorIp{};
    AddressBytes destIp{}; // the host computer the sensor sends to
    MacBytes mac{};
    std::uint16_t dataPort = 2368;
    std::uint16_t equipmentPort = 2369;
    AddressBytes ntpIp{};
    DeviceTime time;
    std::uint16_t motorRpm = 600;
    std::uint16_t motorState = kMotorRunning;
    std::uint16_t packetInterval = 1;
    std::uint8_t modelCode = 0;
    std::uint8_t variantCode = 0;
    std::uint32_t serialNumber = 0;
    std::array<std::uint8_t, 3> firmware{}; // shown as V<a>.<b>.<c>
    std::string latitude;                   // up to 10 ASCII characters
    char latitudeHemisphere = 'N';
    std::string longitude; // up to 10 ASCII characters
    char longitudeHemisphere = 'E';
    // Main-board firmware date and version, as the packet carries them.
    std::array<std::uint8_t, 6> boardVersion{};
    CalibrationTables calibration;

    // The device-information packet reporting this state. GPS texts shorter
    // than their fields are padded with NUL bytes, as the sensor does.
    DeviceInfoPacket::Bytes toPacket() const;

    // The fields of a device-information or configuration packet of
    // DeviceInfoPacket::kSize bytes; trailing NUL bytes of the GPS texts are
    // dropped.
    static DeviceState fromPacket(ByteSpan packet);

    bool operator==(const DeviceState& o) const;
};
