#pragma once

#include "device/DeviceInfoPacket.h"
#include "device/DeviceReport.h"
#include "device/SettingData.h"
#include "lidar/ByteSpan.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

// One device-information frame captured from the sensor: the record the
// advanced window shows and builds its packets on, and which sensor sent it.
class SensorReading {
public:
    // Nothing unless `frame` is a whole device-information frame.
    static std::optional<SensorReading> fromFrame(std::vector<std::uint8_t> frame);

    ByteSpan frame() const { return ByteSpan(frame_.data(), frame_.size()); }
    // The sensor's 1206-byte packet inside the frame.
    ByteSpan packet() const;
    SettingData status() const { return DeviceInfoPacket::decodeSettingData(packet()); }
    std::vector<int> ports() const { return DeviceInfoPacket::portVector(packet()); }
    // The address the frame came from, dotted decimal.
    QString senderAddress() const;
    // The packet as the status receiver would have delivered it now.
    DeviceReport report() const;
    // Whether both frames came from the same IPv4 address and report the
    // same MAC.
    bool sameSender(const SensorReading& other) const {
        return report().sameSensor(other.report());
    }

private:
    explicit SensorReading(std::vector<std::uint8_t> frame) : frame_(std::move(frame)) {}
    std::vector<std::uint8_t> frame_;
};
