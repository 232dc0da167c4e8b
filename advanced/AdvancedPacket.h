#pragma once

#include "advanced/AdvancedFields.h"
#include "device/CalibrationTables.h"
#include "device/DeviceInfoPacket.h"
#include "lidar/ByteSpan.h"

#include <QDateTime>
#include <array>
#include <cstdint>
#include <vector>

// The advanced parameter packet: the sensor's calibration tables, serial
// number, version, segment factors and measure range, sent to the sensor's
// configuration port. It shares the configuration packet's header and
// trailer and is told apart by the signature at byte 52.
namespace AdvancedPacket {

using Bytes = DeviceInfoPacket::Bytes;

constexpr std::array<std::uint8_t, 8> kSignature{0x55, 0xAA, 0xAA, 0x55, 0x33, 0x33, 0x11, 0x11};
constexpr std::size_t kSignatureOffset = 52;
constexpr std::size_t kStaticA = 70;
constexpr std::size_t kSegmentFactors = 198;
constexpr std::size_t kMeasureRange = 212;
constexpr std::size_t kPitch = 268;
constexpr std::size_t kAzimuth = 364;
constexpr std::size_t kReflectivity1 = 460;
constexpr std::size_t kStaticB = 512;
constexpr std::size_t kReflectivity2 = 640;

// Bytes 24..27: the data and equipment ports of the sensor's latest status
// (entries 6 and 7 of its port vector).
void writePorts(Bytes& packet, const std::vector<int>& ports);

// Rewrites the whole packet. `frame` is a captured Ethernet frame of the
// sensor's device-information packet (all 1248 bytes): every byte that no field of the
// window covers comes from it, as the sensor reported it (sensor and host
// address and MAC from the frame's headers; motor speed, ports, NTP address,
// motor state, packet interval and the table entries no field shows from its
// payload, and the letter V in front of the version). `now` is the host's
// local time.
void build(Bytes& packet, const AdvancedValues& values, ByteSpan frame, const QDateTime& now);

// A configuration-shaped packet carrying the signature.
bool isAdvancedPacket(const std::uint8_t* data, std::size_t size);

// What the sensor takes from an advanced parameter packet.
struct Contents {
    CalibrationTables calibration;
    std::uint8_t modelCode = 0;
    std::uint8_t variantCode = 0;
    std::uint32_t serialNumber = 0;
    std::array<std::uint8_t, 3> version{};
    std::uint16_t measureRange = 0; // hundredths
};
// `packet` must hold DeviceInfoPacket::kSize bytes, as one that isAdvancedPacket
// accepts does.
Contents read(ByteSpan packet);

} // namespace AdvancedPacket
