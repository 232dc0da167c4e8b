#include "device/DeviceState.h"

#include <algorithm>
#include <tuple>

namespace {

using namespace DeviceInfoPacket;

constexpr std::size_t kGpsTextSize = 10;
constexpr std::uint8_t kFirmwareLetter = 'V';

class PacketWriter {
public:
    explicit PacketWriter(Bytes& packet) : packet_(packet) {}

    void u8(std::size_t offset, std::uint8_t value) { packet_[offset] = value; }
    void be16(std::size_t offset, std::uint16_t value) {
        packet_[offset] = static_cast<std::uint8_t>(value >> 8);
        packet_[offset + 1] = static_cast<std::uint8_t>(value & 0xFF);
    }
    void be32(std::size_t offset, std::uint32_t value) {
        be16(offset, static_cast<std::uint16_t>(value >> 16));
        be16(offset + 2, static_cast<std::uint16_t>(value & 0xFFFF));
    }
    template <std::size_t N>
    void bytes(std::size_t offset, const std::array<std::uint8_t, N>& values) {
        std::copy(values.begin(), values.end(), packet_.begin() + static_cast<long>(offset));
    }
    void text(std::size_t offset, const std::string& value, std::size_t size) {
        const std::size_t n = std::min(value.size(), size);
        std::copy_n(value.begin(), n, packet_.begin() + static_cast<long>(offset));
        std::fill_n(packet_.begin() + static_cast<long>(offset + n), size - n, 0);
    }

private:
    Bytes& packet_;
};

template <std::size_t N>
std::array<std::uint8_t, N> bytesAt(ByteSpan packet, std::size_t offset) {
    std::array<std::uint8_t, N> out{};
    const ByteSpan field = packet.sub(offset, N);
    std::copy_n(field.data(), N, out.begin());
    return out;
}

std::string textAt(ByteSpan packet, std::size_t offset) {
    const ByteSpan field = packet.sub(offset, kGpsTextSize);
    std::string text(reinterpret_cast<const char*>(field.data()), kGpsTextSize);
    text.erase(text.find_last_not_of('\0') + 1);
    return text;
}

auto tied(const DeviceTime& t) {
    return std::tie(t.yearSince2000, t.month, t.day, t.hour, t.minute, t.second, t.millisecond,
                    t.microsecond);
}

auto tied(const DeviceState& s) {
    return std::tie(s.sensorIp, s.destIp, s.mac, s.dataPort, s.equipmentPort, s.ntpIp, s.time,
                    s.motorRpm, s.motorState, s.packetInterval, s.modelCode, s.variantCode,
                    s.serialNumber, s.firmware, s.latitude, s.latitudeHemisphere, s.longitude,
                    s.longitudeHemisphere, s.boardVersion, s.calibration);
}

} // namespace

bool DeviceTime::operator==(const DeviceTime& o) const {
    return tied(*this) == tied(o);
}

bool DeviceState::operator==(const DeviceState& o) const {
    return tied(*this) == tied(o);
}

Bytes DeviceState::toPacket() const {
    Bytes packet{};
    PacketWriter w(packet);
    w.u8(0, 0xA5);
    w.u8(1, 0xFF);
    // Live captures find the sensor by these four bytes.
    w.u8(3, 0x5A);
    w.be16(kMotorRpm, motorRpm);
    w.bytes(kSensorIp, sensorIp);
    w.bytes(kDestIp, destIp);
    w.bytes(kMac, mac);
    w.be16(kDataPort, dataPort);
    w.be16(kEquipmentPort, equipmentPort);
    w.bytes(kNtpIp, ntpIp);
    w.u8(kTime, time.yearSince2000);
    w.u8(kTime + 1, time.month);
    w.u8(kTime + 2, time.day);
    w.u8(kTime + 3, time.hour);
    w.u8(kTime + 4, time.minute);
    w.u8(kTime + 5, time.second);
    w.be16(kTime + 6, time.millisecond);
    w.be16(kTime + 8, time.microsecond);
    w.be16(kMotorState, motorState);
    w.be16(kPacketInterval, packetInterval);
    w.u8(kStatus60, modelCode);
    w.u8(kStatus61, variantCode);
    w.be32(kStatus62, serialNumber);
    w.u8(kStatus66, kFirmwareLetter);
    w.bytes(kStatus66 + 1, firmware);
    w.text(kLatitude, latitude, kGpsTextSize);
    w.text(kLongitude, longitude, kGpsTextSize);
    w.u8(kLatitudeHemisphere, static_cast<std::uint8_t>(latitudeHemisphere));
    w.u8(kLongitudeHemisphere, static_cast<std::uint8_t>(longitudeHemisphere));
    w.bytes(kBoardVersion, boardVersion);
    calibration.writeTo(packet);
    return packet;
}

DeviceState DeviceState::fromPacket(ByteSpan packet) {
    DeviceState s;
    s.motorRpm = packet.be16(kMotorRpm);
    s.sensorIp = bytesAt<4>(packet, kSensorIp);
    s.destIp = bytesAt<4>(packet, kDestIp);
    s.mac = bytesAt<6>(packet, kMac);
    s.dataPort = packet.be16(kDataPort);
    s.equipmentPort = packet.be16(kEquipmentPort);
    s.ntpIp = bytesAt<4>(packet, kNtpIp);
    s.time.yearSince2000 = packet.u8(kTime);
    s.time.month = packet.u8(kTime + 1);
    s.time.day = packet.u8(kTime + 2);
    s.time.hour = packet.u8(kTime + 3);
    s.time.minute = packet.u8(kTime + 4);
    s.time.second = packet.u8(kTime + 5);
    s.time.millisecond = packet.be16(kTime + 6);
    s.time.microsecond = packet.be16(kTime + 8);
    s.motorState = packet.be16(kMotorState);
    s.packetInterval = packet.be16(kPacketInterval);
    s.modelCode = packet.u8(kStatus60);
    s.variantCode = packet.u8(kStatus61);
    s.serialNumber = packet.be32(kStatus62);
    s.firmware = bytesAt<3>(packet, kStatus66 + 1);
    s.latitude = textAt(packet, kLatitude);
    s.longitude = textAt(packet, kLongitude);
    s.latitudeHemisphere = static_cast<char>(packet.u8(kLatitudeHemisphere));
    s.longitudeHemisphere = static_cast<char>(packet.u8(kLongitudeHemisphere));
    s.boardVersion = bytesAt<6>(packet, kBoardVersion);
    s.calibration = CalibrationTables::fromInfoPacket(packet);
    return s;
}
