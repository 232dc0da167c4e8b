#include "advanced/DefaultConfigPacket.h"

#include "device/ConfigPacket.h"

#include <algorithm>

namespace DefaultConfigPacket {

namespace {

constexpr std::size_t kTimeBytes = 6;

template <std::size_t N>
void put(DeviceInfoPacket::Bytes& packet, std::size_t offset,
         const std::array<std::uint8_t, N>& bytes) {
    std::copy(bytes.begin(), bytes.end(), packet.begin() + static_cast<std::ptrdiff_t>(offset));
}

DeviceInfoPacket::Bytes withTime(const std::array<std::uint8_t, kTimeBytes>& time) {
    using namespace DeviceInfoPacket;
    Bytes packet{};
    put(packet, 0, ConfigPacket::kHeader);
    put(packet, kMotorRpm, std::array<std::uint8_t, 2>{0x01, 0x2C});
    put(packet, kSensorIp, std::array<std::uint8_t, 4>{192, 168, 1, 200});
    put(packet, kDestIp, std::array<std::uint8_t, 4>{192, 168, 1, 102});
    put(packet, kDataPort, std::array<std::uint8_t, 4>{0x09, 0x40, 0x09, 0x41});
    put(packet, kTime, time);
    put(packet, kPacketInterval, std::array<std::uint8_t, 2>{0x00, 0x01});
    put(packet, kSize - ConfigPacket::kTrailer.size(), ConfigPacket::kTrailer);
    return packet;
}

} // namespace

DeviceInfoPacket::Bytes build(const QDateTime& now) {
    const QDate date = now.date();
    const QTime clock = now.time();
    return withTime(
        {static_cast<std::uint8_t>(date.year() - 2000), static_cast<std::uint8_t>(date.month()),
         static_cast<std::uint8_t>(date.day()), static_cast<std::uint8_t>(clock.hour()),
         static_cast<std::uint8_t>(clock.minute()), static_cast<std::uint8_t>(clock.second())});
}

bool isDefaultConfigPacket(const std::uint8_t* data, std::size_t size) {
    if (size != DeviceInfoPacket::kSize) {
        return false;
    }
    std::array<std::uint8_t, kTimeBytes> time{};
    std::copy_n(data + DeviceInfoPacket::kTime, kTimeBytes, time.begin());
    const DeviceInfoPacket::Bytes expected = withTime(time);
    return std::equal(expected.begin(), expected.end(), data);
}

} // namespace DefaultConfigPacket
