#include "advanced/AdvancedPacket.h"

#include "advanced/WordSplit.h"
#include "device/ConfigPacket.h"

#include <algorithm>

namespace AdvancedPacket {

namespace {

// Offsets of the captured Ethernet frame (14-byte Ethernet, 20-byte IPv4).
constexpr std::size_t kFrameSourceMac = 6;
constexpr std::size_t kFrameSourceAddress = 26;
constexpr std::size_t kFrameDestinationAddress = 30;
constexpr std::size_t kTableBytes = 48;
constexpr std::size_t kHalfStatic = 128;

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

std::uint16_t motorSpeed(int rpm) {
    return rpm == 300 || rpm == 600 || rpm == 1200 ? static_cast<std::uint16_t>(rpm) : 0;
}

std::uint16_t motorState(int state) {
    return state == 0 || state == 1 ? static_cast<std::uint16_t>(state) : 2;
}

} // namespace

void writePorts(Bytes& packet, const std::vector<int>& ports) {
    if (ports.size() < 8) {
        return;
    }
    put16(packet, DeviceInfoPacket::kDataPort, ports[6]);
    put16(packet, DeviceInfoPacket::kEquipmentPort, ports[7]);
}

void build(Bytes& packet, const AdvancedValues& v, const SettingData& status, ByteSpan frame,
           const QDateTime& now) {
    const std::array<std::uint8_t, 4> ports{packet[24], packet[25], packet[26], packet[27]};
    packet.fill(0);
    putBytes(packet, 0, ConfigPacket::kHeader);
    put16(packet, DeviceInfoPacket::kMotorRpm, motorSpeed(status.motorRpm));
    copyFrame(packet, DeviceInfoPacket::kSensorIp, frame, kFrameSourceAddress, 4);
    copyFrame(packet, DeviceInfoPacket::kDestIp, frame, kFrameDestinationAddress, 4);
    copyFrame(packet, DeviceInfoPacket::kMac, frame, kFrameSourceMac, 6);
    putBytes(packet, DeviceInfoPacket::kDataPort, ports);

    const QDate date = now.date();
    const QTime clock = now.time();
    putBytes(packet, DeviceInfoPacket::kTime,
             std::array<std::uint8_t, 6>{
                 static_cast<std::uint8_t>(date.year() - 2000),
                 static_cast<std::uint8_t>(date.month()), static_cast<std::uint8_t>(date.day()),
                 static_cast<std::uint8_t>(clock.hour()), static_cast<std::uint8_t>(clock.minute()),
                 static_cast<std::uint8_t>(clock.second())});
    put16(packet, DeviceInfoPacket::kTime + 6, clock.msec());
    put16(packet, DeviceInfoPacket::kMotorState, motorState(status.motorState));
    put16(packet, DeviceInfoPacket::kPacketInterval, kPacketInterval);
    putBytes(packet, kSignatureOffset, kSignature);
    putBytes(packet, DeviceInfoPacket::kStatus60, v.serialBytes);
    putBytes(packet, DeviceInfoPacket::kStatus66, v.versionBytes);

    // Pitch and azimuth fields 1..32 go into table entries 0..31, where the
    // sensor reports them; entries 32..47 and reflectivity bytes 16..47 stay 0.
    for (std::size_t k = 0; k < AdvancedFields::kChannelCount; ++k) {
        put16(packet, kPitch + 2 * k, v.pitchValues[k]);
        put16(packet, kAzimuth + 2 * k, v.azimuthValues[k]);
    }
    for (std::size_t k = 0; k < 16; ++k) {
        packet[kReflectivity1 + k] = static_cast<std::uint8_t>(v.intensityValues[k]);
        packet[kReflectivity2 + k] = static_cast<std::uint8_t>(v.intensityValues[16 + k]);
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
