#include "device/DeviceState.h"
#include "device/ConfigPacket.h"
#include "device/DeviceStatusText.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesAt(const DeviceInfoPacket::Bytes& packet, std::size_t offset, std::size_t count) {
    return {packet.begin() + static_cast<std::ptrdiff_t>(offset),
            packet.begin() + static_cast<std::ptrdiff_t>(offset + count)};
}

ByteSpan spanOf(const DeviceInfoPacket::Bytes& packet) {
    return ByteSpan(packet.data(), packet.size());
}

// A state with a different value in every field.
DeviceState sample() {
    DeviceState s;
    s.sensorIp = {192, 168, 1, 200};
    s.destIp = {192, 168, 1, 102};
    s.mac = {0x00, 0x0A, 0x35, 0x00, 0x1E, 0x53};
    s.dataPort = 2368;
    s.equipmentPort = 2369;
    s.ntpIp = {10, 0, 0, 1};
    s.time = {32, 12, 7, 20, 5, 9, 500, 100};
    s.motorRpm = 1200;
    s.motorState = DeviceState::kMotorStopped;
    s.packetInterval = 0x1234;
    s.modelCode = 3;
    s.variantCode = 4;
    s.serialNumber = 0x01020304;
    s.firmware = {2, 1, 7};
    s.latitude = "03016.1234";
    s.latitudeHemisphere = 'S';
    s.longitude = "12011.5";
    s.longitudeHemisphere = 'W';
    s.boardVersion = {0x07, 0xE4, 0x0B, 0x17, 0x21, 0x05};
    return s;
}

} // namespace

TEST(DeviceState, PacketCarriesEachFieldAtItsOffset) {
    const DeviceInfoPacket::Bytes p = sample().toPacket();
    EXPECT_TRUE(DeviceInfoPacket::isDeviceInfoPacket(p.data(), p.size()));
    EXPECT_EQ(bytesAt(p, 0, 2), (Bytes{0xA5, 0xFF}));
    EXPECT_EQ(bytesAt(p, 8, 2), (Bytes{0x04, 0xB0}));
    EXPECT_EQ(bytesAt(p, 10, 8), (Bytes{192, 168, 1, 200, 192, 168, 1, 102}));
    EXPECT_EQ(bytesAt(p, 18, 6), (Bytes{0x00, 0x0A, 0x35, 0x00, 0x1E, 0x53}));
    EXPECT_EQ(bytesAt(p, 24, 4), (Bytes{0x09, 0x40, 0x09, 0x41}));
    EXPECT_EQ(bytesAt(p, 28, 4), (Bytes{10, 0, 0, 1}));
    EXPECT_EQ(bytesAt(p, 36, 10), (Bytes{0x20, 0x0C, 0x07, 0x14, 0x05, 0x09, 0x01, 0xF4, 0, 100}));
    EXPECT_EQ(bytesAt(p, 46, 2), (Bytes{0x00, 0x01}));
    EXPECT_EQ(bytesAt(p, 50, 2), (Bytes{0x12, 0x34}));
    EXPECT_EQ(bytesAt(p, 60, 10), (Bytes{3, 4, 1, 2, 3, 4, 'V', 2, 1, 7}));
    EXPECT_EQ(bytesAt(p, 212, 10), (Bytes{'0', '3', '0', '1', '6', '.', '1', '2', '3', '4'}));
    // Shorter text is padded with NUL bytes.
    EXPECT_EQ(bytesAt(p, 222, 10), (Bytes{'1', '2', '0', '1', '1', '.', '5', 0, 0, 0}));
    EXPECT_EQ(bytesAt(p, 232, 2), (Bytes{'S', 'W'}));
    EXPECT_EQ(bytesAt(p, 1198, 6), (Bytes{0x07, 0xE4, 0x0B, 0x17, 0x21, 0x05}));
    // Nothing else is written: tables, factors and spare bytes stay zero.
    for (std::size_t i :
         {2, 7, 32, 35, 48, 49, 52, 59, 70, 197, 198, 211, 234, 653, 1197, 1204, 1205}) {
        EXPECT_EQ(p[i], 0) << "byte " << i;
    }
}

TEST(DeviceState, ViewerReadsWhatTheStateSays) {
    const DeviceState s = sample();
    const DeviceInfoPacket::Bytes p = s.toPacket();
    const SettingData record = DeviceInfoPacket::decodeSettingData(spanOf(p));
    EXPECT_EQ(+record.motorRpm, 1200);
    EXPECT_EQ(+record.motorState, 1);
    EXPECT_EQ(+record.packetInterval, 0x1234);
    EXPECT_EQ(DeviceInfoPacket::portVector(spanOf(p)),
              (std::vector<int>{0, 10, 53, 0, 30, 83, 2368, 2369}));
    EXPECT_EQ(DeviceInfoPacket::mainBoardVersionText(spanOf(p)), "2020.11.23-V2.1.05");
    EXPECT_EQ(DeviceInfoPacket::addressText(spanOf(p), DeviceInfoPacket::kSensorIp),
              "192.168.1.200");
    EXPECT_EQ(DeviceStatusText::deviceTime(record), "2032/12/8 4:5:9:500:100");
    EXPECT_EQ(DeviceStatusText::latitude(record), "3016.1234S");
    EXPECT_EQ(DeviceStatusText::longitude(record), "12011.5W");
}

TEST(DeviceState, ReadsBackWhatItWrote) {
    const DeviceState s = sample();
    EXPECT_EQ(DeviceState::fromPacket(spanOf(s.toPacket())), s);
    const DeviceState empty;
    EXPECT_EQ(DeviceState::fromPacket(spanOf(empty.toPacket())), empty);
}

TEST(DeviceState, ReadsTheSettingsOfTheViewersConfigurationPacket) {
    ConfigFields f;
    f.sensorIp = "10.0.0.9";
    f.destIp = "10.0.0.77";
    f.mac = "00-0a-35-00-1e-53";
    f.dataPort = "2400";
    f.equipmentPort = "2401";
    f.ntpIp = "10.0.0.1";
    f.interval = "7";
    f.rotateSpeed = " 20 HZ";
    f.localTime = " Yes";
    f.motorState = "Stop";
    DeviceState reported = sample();
    reported.motorRpm = 300;
    reported.motorState = DeviceState::kMotorRunning;
    const ConfigPacket::Built built = ConfigPacket::build(
        reported.toPacket(), f, QDateTime(QDate(2026, 12, 7), QTime(1, 2, 3, 456)));
    ASSERT_TRUE(built.ok());

    const DeviceState wanted = DeviceState::fromPacket(spanOf(built.packet));
    EXPECT_EQ(wanted.sensorIp, (AddressBytes{10, 0, 0, 9}));
    EXPECT_EQ(wanted.destIp, (AddressBytes{10, 0, 0, 77}));
    EXPECT_EQ(wanted.dataPort, 2400);
    EXPECT_EQ(wanted.equipmentPort, 2401);
    EXPECT_EQ(wanted.ntpIp, (AddressBytes{10, 0, 0, 1}));
    EXPECT_EQ(wanted.motorRpm, 1200);
    EXPECT_EQ(wanted.motorState, DeviceState::kMotorStopped);
    EXPECT_EQ(wanted.packetInterval, 7);
    EXPECT_EQ(wanted.time, (DeviceTime{26, 12, 7, 1, 2, 3, 456, 0}));
    EXPECT_EQ(wanted.boardVersion, reported.boardVersion);
}

TEST(ConfigPacketRecognition, OnlyFullSizedPacketsWithHeaderAndTrailer) {
    ConfigFields f;
    f.localTime = " No";
    DeviceInfoPacket::Bytes packet = ConfigPacket::build(sample().toPacket(), f, {}).packet;
    EXPECT_TRUE(ConfigPacket::isConfigPacket(packet.data(), packet.size()));
    EXPECT_FALSE(ConfigPacket::isConfigPacket(packet.data(), packet.size() - 1));
    std::vector<std::uint8_t> longer(packet.begin(), packet.end());
    longer.push_back(0);
    EXPECT_FALSE(ConfigPacket::isConfigPacket(longer.data(), longer.size()));
    for (std::size_t i : {0, 3, 7, 1204, 1205}) {
        DeviceInfoPacket::Bytes spoilt = packet;
        spoilt[i] ^= 0x01;
        EXPECT_FALSE(ConfigPacket::isConfigPacket(spoilt.data(), spoilt.size())) << "byte " << i;
    }
    const DeviceInfoPacket::Bytes info = sample().toPacket();
    EXPECT_FALSE(ConfigPacket::isConfigPacket(info.data(), info.size()));
}

TEST(MainBoardVersion, TextAndBytesAreEachOthersInverse) {
    for (const char* text :
         {"2020.11.23-V2.1.05", "2020.1.2-V1.0.00", "65535.12.31-V15.15.99", "0.1.1-V0.0.90"}) {
        const auto bytes = DeviceInfoPacket::mainBoardVersionBytes(text);
        ASSERT_TRUE(bytes) << text;
        DeviceState s;
        s.boardVersion = *bytes;
        const DeviceInfoPacket::Bytes p = s.toPacket();
        EXPECT_EQ(DeviceInfoPacket::mainBoardVersionText(spanOf(p)), text);
    }
    EXPECT_EQ(DeviceInfoPacket::mainBoardVersionBytes("2020.11.23-V2.1.05"),
              (std::array<std::uint8_t, 6>{0x07, 0xE4, 0x0B, 0x17, 0x21, 0x05}));
    for (const char* bad :
         {"", "2020.11.23-V2.1.5", "2020.11.23-V2.1.005", "2020.11.23-2.1.05", "2020.13.1-V1.0.00",
          "2020.0.1-V1.0.00", "2020.1.32-V1.0.00", "65536.1.1-V1.0.00", "2020.1.1-V16.0.00",
          "2020.1.1-V1.16.00", " 2020.1.1-V1.0.00", "2020.1.1-V1.0.00 ", "2020/1/1-V1.0.00"}) {
        EXPECT_FALSE(DeviceInfoPacket::mainBoardVersionBytes(bad)) << bad;
    }
}
