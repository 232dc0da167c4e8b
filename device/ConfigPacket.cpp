#include "device/ConfigPacket.h"

#include <algorithm>

namespace ConfigPacket {

namespace {

using DeviceInfoPacket::Bytes;

void putBe16(Bytes& packet, std::size_t offset, std::uint16_t value) {
    packet[offset] = static_cast<std::uint8_t>(value >> 8);
    packet[offset + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

template <std::size_t N>
void putBytes(Bytes& packet, std::size_t offset, const std::array<std::uint8_t, N>& bytes) {
    std::copy(bytes.begin(), bytes.end(), packet.begin() + static_cast<std::ptrdiff_t>(offset));
}

constexpr std::size_t kZeroedFrom = 52;
constexpr std::size_t kZeroedTo = 60;

} // namespace

bool isConfigPacket(const std::uint8_t* data, std::size_t size) {
    return size == DeviceInfoPacket::kSize && std::equal(kHeader.begin(), kHeader.end(), data) &&
           std::equal(kTrailer.begin(), kTrailer.end(), data + size - kTrailer.size());
}

bool applyDefaultAddressRule(Bytes& info) {
    const auto first = info.begin() + DeviceInfoPacket::kSensorIp;
    const auto last = first + DeviceInfoPacket::kAddressSize;
    const bool unset = std::all_of(first, last, [](std::uint8_t b) { return b == 0x00; }) ||
                       std::all_of(first, last, [](std::uint8_t b) { return b == 0xFF; });
    if (unset) {
        putBytes(info, DeviceInfoPacket::kSensorIp, kDefaultSensorAddress);
    }
    return unset;
}

Built build(const Bytes& lastInfo, const ConfigFields& fields, const QDateTime& now) {
    Built built;
    built.refusal = configFieldsRefusal(fields);
    if (!built.ok()) {
        return built;
    }
    Bytes info = lastInfo;
    applyDefaultAddressRule(info);
    built.destination = DeviceInfoPacket::addressText(ByteSpan(info.data(), info.size()),
                                                      DeviceInfoPacket::kSensorIp)
                            .toStdString();

    Bytes& packet = built.packet;
    packet = info;
    putBytes(packet, 0, kHeader);
    putBe16(packet, DeviceInfoPacket::kMotorRpm, motorRpmForRate(fields.rotateSpeed));
    if (const auto address = parseAddressField(fields.sensorIp)) {
        putBytes(packet, DeviceInfoPacket::kSensorIp, *address);
    }
    if (const auto address = parseAddressField(fields.destIp)) {
        putBytes(packet, DeviceInfoPacket::kDestIp, *address);
    }
    // Text that is not a MAC keeps the reported one.
    if (const auto mac = parseMacField(fields.mac)) {
        putBytes(packet, DeviceInfoPacket::kMac, *mac);
    }
    built.dataPort = parsePortField(fields.dataPort);
    if (built.dataPort) {
        putBe16(packet, DeviceInfoPacket::kDataPort, *built.dataPort);
    }
    built.equipmentPort = parsePortField(fields.equipmentPort);
    if (built.equipmentPort) {
        putBe16(packet, DeviceInfoPacket::kEquipmentPort, *built.equipmentPort);
    }
    putBytes(packet, DeviceInfoPacket::kNtpIp,
             parseAddressField(fields.ntpIp).value_or(AddressBytes{}));

    std::array<std::uint8_t, DeviceInfoPacket::kTimeSize> time{};
    if (fields.localTime == QLatin1String(" Yes")) {
        const QDate date = now.date();
        const QTime clock = now.time();
        time = {static_cast<std::uint8_t>(date.year() - 2000),
                static_cast<std::uint8_t>(date.month()),
                static_cast<std::uint8_t>(date.day()),
                static_cast<std::uint8_t>(clock.hour()),
                static_cast<std::uint8_t>(clock.minute()),
                static_cast<std::uint8_t>(clock.second()),
                static_cast<std::uint8_t>(clock.msec() >> 8),
                static_cast<std::uint8_t>(clock.msec() & 0xFF),
                0,
                0};
    }
    putBytes(packet, DeviceInfoPacket::kTime, time);

    if (fields.motorState == QLatin1String("Run")) {
        putBe16(packet, DeviceInfoPacket::kMotorState, 0);
    } else if (fields.motorState == QLatin1String("Stop")) {
        putBe16(packet, DeviceInfoPacket::kMotorState, 1);
    }
    putBe16(packet, DeviceInfoPacket::kPacketInterval, *parseIntervalField(fields.interval));
    std::fill(packet.begin() + kZeroedFrom, packet.begin() + kZeroedTo, 0);
    putBytes(packet, DeviceInfoPacket::kSize - kTrailer.size(), kTrailer);
    return built;
}

} // namespace ConfigPacket
