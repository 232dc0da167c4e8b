#include "device/DeviceInfoPacket.h"

#include <QRegularExpression>
#include <cstring>

namespace DeviceInfoPacket {

bool isDeviceInfoPacket(const std::uint8_t* data, std::size_t size) {
    return size == kSize && data[0] == 0xA5 && data[1] == 0xFF;
}

namespace {

template <std::size_t N, typename T>
void copyBytes(T (&field)[N], ByteSpan packet, std::size_t offset) {
    static_assert(sizeof(T) == 1, "byte fields only");
    std::memcpy(field, packet.sub(offset, N).data(), N);
}

} // namespace

SettingData decodeSettingData(ByteSpan packet) {
    SettingData record{};
    copyBytes(record.destIp, packet, kDestIp);
    std::memcpy(record.dataPortRaw, packet.sub(kDataPort, 2).data(), 2);
    record.timeYear = packet.u8(kTime);
    record.timeMonth = packet.u8(kTime + 1);
    record.timeDay = packet.u8(kTime + 2);
    record.timeHour = packet.u8(kTime + 3);
    record.timeMinute = packet.u8(kTime + 4);
    record.timeSecond = packet.u8(kTime + 5);
    copyBytes(record.timeMillis, packet, kTime + 6);
    copyBytes(record.timeMicros, packet, kTime + 8);
    for (std::size_t i = 0; i < 7; ++i) {
        record.words[i] = packet.be16(kWords + 2 * i);
    }
    record.motorRpm = packet.be16(kMotorRpm);
    record.packetInterval = packet.be16(kPacketInterval);
    record.motorState = packet.be16(kMotorState);
    copyBytes(record.latitude, packet, kLatitude);
    record.latitudeHemisphere = static_cast<char>(packet.u8(kLatitudeHemisphere));
    copyBytes(record.longitude, packet, kLongitude);
    record.longitudeHemisphere = static_cast<char>(packet.u8(kLongitudeHemisphere));
    copyBytes(record.channelTableA, packet, kChannelTableA);
    copyBytes(record.channelTableB, packet, kChannelTableB);
    std::memcpy(record.tableC, packet.sub(kTableC, sizeof record.tableC).data(),
                sizeof record.tableC);
    std::memcpy(record.tableD, packet.sub(kTableD, sizeof record.tableD).data(),
                sizeof record.tableD);
    copyBytes(record.tableE, packet, kTableE);
    copyBytes(record.tableF, packet, kTableF);
    record.status60 = packet.u8(kStatus60);
    record.status61 = packet.u8(kStatus61);
    copyBytes(record.status62, packet, kStatus62);
    copyBytes(record.status66, packet, kStatus66);
    copyBytes(record.boardVersion, packet, kBoardVersion);
    return record;
}

std::vector<int> portVector(ByteSpan packet) {
    std::vector<int> ports;
    ports.reserve(kMacSize + 2);
    for (std::size_t i = 0; i < kMacSize; ++i) {
        ports.push_back(packet.u8(kMac + i));
    }
    ports.push_back(packet.be16(kDataPort));
    ports.push_back(packet.be16(kEquipmentPort));
    return ports;
}

QString mainBoardVersionText(ByteSpan packet) {
    const std::uint8_t version = packet.u8(kBoardVersion + 4);
    const std::uint8_t patch = packet.u8(kBoardVersion + 5);
    return QStringLiteral("%1.%2.%3-V%4.%5.%6%7")
        .arg(packet.be16(kBoardVersion))
        .arg(packet.u8(kBoardVersion + 2))
        .arg(packet.u8(kBoardVersion + 3))
        .arg(version >> 4)
        .arg(version & 0x0F)
        .arg(patch >> 4)
        .arg(patch & 0x0F);
}

std::optional<std::array<std::uint8_t, 6>> mainBoardVersionBytes(const QString& text) {
    static const QRegularExpression form(QStringLiteral(
        "^(\\d{1,5})\\.(\\d{1,2})\\.(\\d{1,2})-V(\\d{1,2})\\.(\\d{1,2})\\.(\\d)(\\d)$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const auto number = [&match](int i) { return match.captured(i).toInt(); };
    const int year = number(1);
    const int month = number(2);
    const int day = number(3);
    const int major = number(4);
    const int minor = number(5);
    if (year > 0xFFFF || month < 1 || month > 12 || day < 1 || day > 31 || major > 15 ||
        minor > 15) {
        return std::nullopt;
    }
    return std::array<std::uint8_t, 6>{static_cast<std::uint8_t>(year >> 8),
                                       static_cast<std::uint8_t>(year & 0xFF),
                                       static_cast<std::uint8_t>(month),
                                       static_cast<std::uint8_t>(day),
                                       static_cast<std::uint8_t>(major << 4 | minor),
                                       static_cast<std::uint8_t>(number(6) << 4 | number(7))};
}

QString addressText(ByteSpan packet, std::size_t offset) {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(packet.u8(offset))
        .arg(packet.u8(offset + 1))
        .arg(packet.u8(offset + 2))
        .arg(packet.u8(offset + 3));
}

} // namespace DeviceInfoPacket
