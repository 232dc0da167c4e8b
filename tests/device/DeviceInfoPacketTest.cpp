#include "InfoTestPacket.h"

#include <gtest/gtest.h>

using namespace DeviceInfoPacket;

namespace {

int be16At(const InfoTestPacket& p, std::size_t offset) {
    return p.bytes[offset] << 8 | p.bytes[offset + 1];
}

template <typename T, std::size_t N>
void expectBytesAt(const T (&field)[N], const InfoTestPacket& p, std::size_t offset) {
    for (std::size_t i = 0; i < N; ++i) {
        EXPECT_EQ(static_cast<std::uint8_t>(field[i]), p.bytes[offset + i])
            << "entry " << i << " of the field at " << offset;
    }
}

} // namespace

TEST(DeviceInfoPacket, RecognisesOnlyFullSizedPacketsStartingA5FF) {
    InfoTestPacket p;
    EXPECT_TRUE(isDeviceInfoPacket(p.bytes.data(), 1206));
    EXPECT_FALSE(isDeviceInfoPacket(p.bytes.data(), 1205));
    EXPECT_FALSE(isDeviceInfoPacket(p.bytes.data(), 1207));
    p.put(0, {0xA5, 0x00});
    EXPECT_FALSE(isDeviceInfoPacket(p.bytes.data(), 1206));
    p.put(0, {0xFF, 0xA5});
    EXPECT_FALSE(isDeviceInfoPacket(p.bytes.data(), 1206));
}

TEST(DeviceInfoPacket, DecodesEveryFieldFromItsOwnOffset) {
    for (std::uint8_t seed : {0, 1, 100}) {
        const InfoTestPacket p(seed);
        const SettingData r = decodeSettingData(p.span());
        expectBytesAt(r.destIp, p, 14);
        expectBytesAt(r.dataPortRaw, p, 24);
        EXPECT_EQ(r.timeYear, p.bytes[36]);
        EXPECT_EQ(r.timeMonth, p.bytes[37]);
        EXPECT_EQ(r.timeDay, p.bytes[38]);
        EXPECT_EQ(r.timeHour, p.bytes[39]);
        EXPECT_EQ(r.timeMinute, p.bytes[40]);
        EXPECT_EQ(r.timeSecond, p.bytes[41]);
        expectBytesAt(r.timeMillis, p, 42);
        expectBytesAt(r.timeMicros, p, 44);
        for (std::size_t i = 0; i < 7; ++i) {
            EXPECT_EQ(+r.words[i], be16At(p, 198 + 2 * i));
        }
        EXPECT_EQ(+r.motorRpm, be16At(p, 8));
        EXPECT_EQ(+r.packetInterval, be16At(p, 50));
        EXPECT_EQ(+r.motorState, be16At(p, 46));
        expectBytesAt(r.latitude, p, 212);
        EXPECT_EQ(static_cast<std::uint8_t>(r.latitudeHemisphere), p.bytes[232]);
        expectBytesAt(r.longitude, p, 222);
        EXPECT_EQ(static_cast<std::uint8_t>(r.longitudeHemisphere), p.bytes[233]);
        expectBytesAt(r.channelTableA, p, 70);
        expectBytesAt(r.channelTableB, p, 478);
        for (std::size_t i = 0; i < 48; ++i) {
            EXPECT_EQ(r.tableC[i][0], p.bytes[234 + 2 * i]);
            EXPECT_EQ(r.tableC[i][1], p.bytes[235 + 2 * i]);
            EXPECT_EQ(r.tableD[i][0], p.bytes[330 + 2 * i]);
            EXPECT_EQ(r.tableD[i][1], p.bytes[331 + 2 * i]);
        }
        expectBytesAt(r.tableE, p, 426);
        expectBytesAt(r.tableF, p, 606);
        EXPECT_EQ(r.status60, p.bytes[60]);
        EXPECT_EQ(r.status61, p.bytes[61]);
        expectBytesAt(r.status62, p, 62);
        expectBytesAt(r.status66, p, 66);
        expectBytesAt(r.boardVersion, p, 1198);
    }
}

TEST(DeviceInfoPacket, SixteenBitFieldsAreUnsignedAndTablesSigned) {
    InfoTestPacket p;
    p.put(8, {0xFF, 0xFE}).put(198, {0x80, 0x00}).put(70, {0xFF}).put(606, {0x80});
    const SettingData r = decodeSettingData(p.span());
    EXPECT_EQ(+r.motorRpm, 65534);
    EXPECT_EQ(+r.words[0], 32768);
    EXPECT_EQ(r.channelTableA[0], -1);
    EXPECT_EQ(r.tableF[0], -128);
}

TEST(DeviceInfoPacket, PortVectorHoldsTheMacBytesThenBothPorts) {
    InfoTestPacket p;
    p.put(18, {0x00, 0x0A, 0x35, 0x00, 0x1E, 0x53}).put(24, {0x09, 0x40}).put(26, {0x09, 0x41});
    EXPECT_EQ(portVector(p.span()), (std::vector<int>{0, 10, 53, 0, 30, 83, 2368, 2369}));
    p.put(18, {0xFF, 0x80, 0, 0, 0, 0x7F}).put(24, {0xFF, 0xFF}).put(26, {0x80, 0x00});
    EXPECT_EQ(portVector(p.span()), (std::vector<int>{255, 128, 0, 0, 0, 127, 65535, 32768}));
}

TEST(DeviceInfoPacket, MainBoardVersionTextHasNoLeadingZeros) {
    const struct {
        std::initializer_list<std::uint8_t> bytes;
        const char* text;
    } cases[] = {
        {{0x07, 0xE4, 0x0B, 0x17, 0x21, 0x05}, "2020.11.23-V2.1.05"},
        {{0x07, 0xE4, 0x01, 0x02, 0x10, 0x00}, "2020.1.2-V1.0.00"},
        {{0xFF, 0xFF, 0x0C, 0x1F, 0xFF, 0x99}, "65535.12.31-V15.15.99"},
        {{0x00, 0x00, 0x00, 0x00, 0x00, 0x00}, "0.0.0-V0.0.00"},
    };
    for (const auto& c : cases) {
        InfoTestPacket p;
        p.put(1198, c.bytes);
        EXPECT_EQ(mainBoardVersionText(p.span()), QString::fromLatin1(c.text));
    }
}

TEST(DeviceInfoPacket, AddressTextIsDottedDecimal) {
    InfoTestPacket p;
    p.put(10, {192, 168, 1, 200}).put(28, {0, 255, 9, 10});
    EXPECT_EQ(addressText(p.span(), 10), "192.168.1.200");
    EXPECT_EQ(addressText(p.span(), 28), "0.255.9.10");
}
