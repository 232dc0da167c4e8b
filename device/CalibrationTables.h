#pragma once

#include "device/DeviceInfoPacket.h"
#include "lidar/ByteSpan.h"

#include <array>
#include <cstdint>

// The sensor's per-channel calibration as its device-information packet
// reports it: whole tables, including the entries no window shows.
struct CalibrationTables {
    static constexpr std::size_t kStaticCount = 256; // 1..128 at 70, 129..256 at 478
    static constexpr std::size_t kTableEntries = 48;
    static constexpr std::size_t kSegmentCount = 7;

    std::array<std::int8_t, kStaticCount> staticValues{};
    std::array<std::uint16_t, kTableEntries> pitch{};   // hundredths
    std::array<std::uint16_t, kTableEntries> azimuth{}; // hundredths
    std::array<std::int8_t, kTableEntries> reflectivity1{};
    std::array<std::int8_t, kTableEntries> reflectivity2{};
    std::array<std::uint16_t, kSegmentCount> segmentFactors{}; // hundredths

    // Writes the tables at their device-information packet offsets.
    void writeTo(DeviceInfoPacket::Bytes& packet) const;
    // The packet must hold DeviceInfoPacket::kSize bytes.
    static CalibrationTables fromInfoPacket(ByteSpan packet);

    bool operator==(const CalibrationTables& o) const;
    bool operator!=(const CalibrationTables& o) const { return !(*this == o); }
};
