#pragma once

#include "device/SettingData.h"
#include "lidar/ByteSpan.h"

#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// Layout of the sensor's 1206-byte device-information datagram, sent on the
// equipment port. Multi-byte numbers are big-endian.
namespace DeviceInfoPacket {

constexpr std::size_t kSize = 1206;
using Bytes = std::array<std::uint8_t, kSize>;

constexpr std::size_t kMotorRpm = 8;
constexpr std::size_t kSensorIp = 10;
constexpr std::size_t kDestIp = 14;
constexpr std::size_t kMac = 18;
constexpr std::size_t kDataPort = 24;
constexpr std::size_t kEquipmentPort = 26;
constexpr std::size_t kNtpIp = 28;
constexpr std::size_t kTime = 36; // year-2000, month, day, hour, min, s, ms BE16, us BE16
constexpr std::size_t kTimeSize = 10;
constexpr std::size_t kMotorState = 46;
constexpr std::size_t kPacketInterval = 50;
constexpr std::size_t kStatus60 = 60;
constexpr std::size_t kStatus61 = 61;
constexpr std::size_t kStatus62 = 62;
constexpr std::size_t kStatus66 = 66;
constexpr std::size_t kChannelTableA = 70;
constexpr std::size_t kWords = 198;
constexpr std::size_t kLatitude = 212;
constexpr std::size_t kLongitude = 222;
constexpr std::size_t kLatitudeHemisphere = 232;
constexpr std::size_t kLongitudeHemisphere = 233;
constexpr std::size_t kTableC = 234;
constexpr std::size_t kTableD = 330;
constexpr std::size_t kTableE = 426;
constexpr std::size_t kChannelTableB = 478;
constexpr std::size_t kTableF = 606;
constexpr std::size_t kBoardVersion = 1198;
constexpr std::size_t kMacSize = 6;
constexpr std::size_t kAddressSize = 4;

// A datagram is a device-information packet when it has exactly the packet's
// size and starts A5 FF.
bool isDeviceInfoPacket(const std::uint8_t* data, std::size_t size);

// The packet must hold kSize bytes.
SettingData decodeSettingData(ByteSpan packet);

// Six MAC bytes, the data port and the equipment port.
std::vector<int> portVector(ByteSpan packet);

// The main-board firmware date and version, e.g. 07 E4 0B 17 21 05 give
// "2020.11.23-V2.1.05".
QString mainBoardVersionText(ByteSpan packet);

// The six bytes that mainBoardVersionText shows as `text`; nothing for text
// of another form or with numbers the bytes cannot hold (month 1..12, day
// 1..31, major and minor 0..15, a patch level of exactly two digits).
std::optional<std::array<std::uint8_t, 6>> mainBoardVersionBytes(const QString& text);

// Four address bytes at `offset` as dotted decimal text.
QString addressText(ByteSpan packet, std::size_t offset);

} // namespace DeviceInfoPacket
