#pragma once

#include "device/ConfigFields.h"
#include "device/DeviceInfoPacket.h"
#include "device/SettingData.h"
#include "lidar/ByteSpan.h"

#include <QMetaType>
#include <QString>
#include <chrono>
#include <vector>

// One device-information packet and the sensor it came from. A sensor is
// the IPv4 address its packets come from; its MAC is the one it reports in
// them. Travels by value from the status receiver to the device windows.
struct DeviceReport {
    using Clock = std::chrono::steady_clock;

    AddressBytes sender{};
    DeviceInfoPacket::Bytes packet{};
    Clock::time_point received{};

    ByteSpan span() const { return ByteSpan(packet.data(), packet.size()); }
    // Bytes 18..23, as the sensor reports them.
    MacBytes mac() const;
    SettingData status() const { return DeviceInfoPacket::decodeSettingData(span()); }
    std::vector<int> ports() const { return DeviceInfoPacket::portVector(span()); }

    // The same address and the same reported MAC: two sensors at one
    // address (both still at the factory address, or one replacing the
    // other) are told apart by their MACs.
    bool sameSensor(const DeviceReport& other) const;

    // "127.0.0.2 (02-1a-2b-3c-4d-5e)"
    QString sensorName() const;
};

Q_DECLARE_METATYPE(DeviceReport)

// Registers DeviceReport for queued signals; call before a receiver starts.
void registerDeviceReportMetaType();

// "02-1a-2b-3c-4d-5e"
QString macText(const MacBytes& mac);
