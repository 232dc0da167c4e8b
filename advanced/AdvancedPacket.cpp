#include "advanced/AdvancedPacket.h"

#include "advanced/WordSplit.h"
#include "device/ConfigPacket.h"
#include "net/EthernetFrame.h"

#include <algorithm>

namespace AdvancedPacket {

namespace {

constexpr std::size_t kTableBytes = 48;
constexpr std::size_t kHalfStatic = 128;
// Reflectivity fields 1..16 fill the first table, 17..32 the second.
constexpr std::size_t kReflectivityShown = 16;

void put16(Bytes& packet, std::size_t offset, long long value) {
    const auto bytes = splitWord16(value);
    packet[offset] = bytes[0];
    packet[offset + 1] = bytes[1];
}

template <typename Container>
void putBytes(Bytes& packet, std::size_t offset, const Container& bytes) {
    std::copy(bytes.begin(), bytes.end(), packet.begin() + static_cast<std::ptrdiff_t>(offset));
}

void copyFrame(Bytes& packet, std::size_t offset, ByteSpan frame, std::size_t from,
               std::size_t count) {
    const ByteSpan field = frame.sub(from, count);
    std::copy_n(field.data(), count, packet.begin() + static_cast<std::ptrdiff_t>(offset));
}

} // namespace

void writePorts(Bytes& packet, const std::vector<int>& ports) {
    if (ports.size() < 8) {
        return;
    }
    put16(packet, DeviceInfoPacket::kDataPort, ports[6]);
    put16(packet, DeviceInfoPacket::kEquipmentPort, ports[7]);
}

void build(Bytes& packet, const AdvancedValues& v, ByteSpan frame, const QDateTime& now) {
    const ByteSpan reported = frame.sub(EthernetFrame::kUdpPayload, DeviceInfoPacket::kSize);
    const auto copyReported = [&](std::size_t offset, std::size_t count) {
        copyFrame(packet, offset, reported, offset, count);
    };
    packet.fill(0);
    putBytes(packet, 0, ConfigPacket::kHeader);
    copyReported(DeviceInfoPacket::kMotorRpm, 2);
    copyFrame(packet, DeviceInfoPacket::kSensorIp, frame, EthernetFrame::kIpv4Source,
              DeviceInfoPacket::kAddressSize);
    copyFrame(packet, DeviceInfoPacket::kDestIp, frame, EthernetFrame::kIpv4Destination,
              DeviceInfoPacket::kAddressSize);
    copyFrame(packet, DeviceInfoPacket::kMac, frame, EthernetFrame::kSourceMac,
              DeviceInfoPacket::kMacSize);
    copyReported(DeviceInfoPacket::kDataPort, 4); // and the equipment port
    copyReported(DeviceInfoPacket::kNtpIp, 8);    // and the four bytes after it

    const QDate date = now.date();
    const QTime clock = now.time();
    putBytes(packet, DeviceInfoPacket::kTime,
             std::array<std::uint8_t, 6>{
                 static_cast<std::uint8_t>(date.year() - 2000),
                 static_cast<std::uint8_t>(date.month()), static_cast<std::uint8_t>(date.day()),
                 static_cast<std::uint8_t>(clock.hour()), static_cast<std::uint8_t>(clock.minute()),
                 static_cast<std::uint8_t>(clock.second())});
    put16(packet, DeviceInfoPacket::kTime + 6, clock.msec());
    copyReported(DeviceInfoPacket::kMotorState, 6); // state, 2 bytes, packet interval
    putBytes(packet, kSignatureOffset, kSignature);
    putBytes(packet, DeviceInfoPacket::kStatus60, v.serialBytes);
    // The letter in front of the version numbers, as the sensor wrote it.
    copyReported(DeviceInfoPacket::kStatus66, 1);
    putBytes(packet, DeviceInfoPacket::kStatus66 + 1, v.versionNumbers);

    // Pitch and azimuth fields 1..32 go into table entries 0..31 and the
    // reflectivity fields into bytes 0..15 of each table, where the sensor
    // reports them. The entries no field shows go back as it reported them.
    const CalibrationTables unshown = CalibrationTables::fromInfoPacket(reported);
    for (std::size_t k = 0; k < kTableBytes; ++k) {
        const bool shown = k < AdvancedFields::kChannelCount;
        put16(packet, kPitch + 2 * k, shown ? v.pitchValues[k] : unshown.pitch[k]);
        put16(packet, kAzimuth + 2 * k, shown ? v.azimuthValues[k] : unshown.azimuth[k]);
    }
    for (std::size_t k = 0; k < kTableBytes; ++k) {
        const bool shown = k < kReflectivityShown;
        packet[kReflectivity1 + k] =
            static_cast<std::uint8_t>(shown ? v.intensityValues[k] : unshown.reflectivity1[k]);
        packet[kReflectivity2 + k] = static_cast<std::uint8_t>(
            shown ? v.intensityValues[kReflectivityShown + k] : unshown.reflectivity2[k]);
    }
    for (std::size_t i = 0; i < kHalfStatic; ++i) {
        packet[kStaticA + i] = static_cast<std::uint8_t>(v.staticValues[i]);
        packet[kStaticB + i] = static_cast<std::uint8_t>(v.staticValues[kHalfStatic + i]);
    }
    for (std::size_t k = 0; k < AdvancedFields::kSegmentCount; ++k) {
        put16(packet, kSegmentFactors + 2 * k, v.segmentFactors[k]);
    }
    put16(packet, kMeasureRange, v.measureRange);
    putBytes(packet, DeviceInfoPacket::kSize - ConfigPacket::kTrailer.size(),
             ConfigPacket::kTrailer);
}

bool isAdvancedPacket(const std::uint8_t* data, std::size_t size) {
    return ConfigPacket::isConfigPacket(data, size) &&
           std::equal(kSignature.begin(), kSignature.end(), data + kSignatureOffset);
}

Contents read(ByteSpan packet) {
    Contents c;
    CalibrationTables& t = c.calibration;
    for (std::size_t i = 0; i < kHalfStatic; ++i) {
        t.staticValues[i] = static_cast<std::int8_t>(packet.u8(kStaticA + i));
        t.staticValues[kHalfStatic + i] = static_cast<std::int8_t>(packet.u8(kStaticB + i));
    }
    for (std::size_t k = 0; k < kTableBytes; ++k) {
        t.pitch[k] = packet.be16(kPitch + 2 * k);
        t.azimuth[k] = packet.be16(kAzimuth + 2 * k);
        t.reflectivity1[k] = static_cast<std::int8_t>(packet.u8(kReflectivity1 + k));
        t.reflectivity2[k] = static_cast<std::int8_t>(packet.u8(kReflectivity2 + k));
    }
    for (std::size_t k = 0; k < CalibrationTables::kSegmentCount; ++k) {
        t.segmentFactors[k] = packet.be16(kSegmentFactors + 2 * k);
    }
    c.modelCode = packet.u8(DeviceInfoPacket::kStatus60);
    c.variantCode = packet.u8(DeviceInfoPacket::kStatus61);
    c.serialNumber = packet.be32(DeviceInfoPacket::kStatus62);
    for (std::size_t i = 0; i < 3; ++i) {
        c.version[i] = packet.u8(DeviceInfoPacket::kStatus66 + 1 + i);
    }
    c.measureRange = packet.be16(kMeasureRange);
    return c;
}

} // namespace AdvancedPacket
