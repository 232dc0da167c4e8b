#include "device/DeviceStatusText.h"
#include "InfoTestPacket.h"

#include <gtest/gtest.h>

namespace {

SettingData atTime(int year, int month, int day, int hour, int minute = 5, int second = 9) {
    InfoTestPacket p;
    p.put(36, {static_cast<std::uint8_t>(year - 2000), static_cast<std::uint8_t>(month),
               static_cast<std::uint8_t>(day), static_cast<std::uint8_t>(hour),
               static_cast<std::uint8_t>(minute), static_cast<std::uint8_t>(second), 0x01, 0xF4,
               0x00, 0x64});
    return DeviceInfoPacket::decodeSettingData(p.span());
}

} // namespace

TEST(DeviceStatusText, DeviceTimeIsShownEightHoursAheadWithTheCarry) {
    const struct {
        SettingData record;
        const char* text;
    } cases[] = {
        {atTime(2032, 12, 7, 16), "2032/12/8 0:5:9:500:100"},
        {atTime(2026, 12, 7, 20), "2026/12/8 4:5:9:500:100"},
        {atTime(2026, 12, 7, 15), "2026/12/7 23:5:9:500:100"},
        {atTime(2026, 12, 7, 0, 0, 0), "2026/12/7 8:0:0:500:100"},
        {atTime(2026, 1, 31, 20), "2026/2/1 4:5:9:500:100"},
        {atTime(2024, 2, 28, 16), "2024/2/29 0:5:9:500:100"},
        {atTime(2023, 2, 28, 16), "2023/3/1 0:5:9:500:100"},
        {atTime(2031, 12, 31, 23, 59, 59), "2032/1/1 7:59:59:500:100"},
        {atTime(2000, 0, 0, 0, 0, 0), "2000/0/0 8:0:0:500:100"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DeviceStatusText::deviceTime(c.record), QString::fromLatin1(c.text));
    }
}

TEST(DeviceStatusText, GpsTextsSkipTheFirstLatitudeCharacter) {
    InfoTestPacket p;
    const char latitude[] = "03113.5432";
    const char longitude[] = "12128.1234";
    for (std::size_t i = 0; i < 10; ++i) {
        p.put(212 + i, {static_cast<std::uint8_t>(latitude[i])});
        p.put(222 + i, {static_cast<std::uint8_t>(longitude[i])});
    }
    p.put(232, {'N', 'E'});
    const SettingData r = DeviceInfoPacket::decodeSettingData(p.span());
    EXPECT_EQ(DeviceStatusText::latitude(r), "3113.5432N");
    EXPECT_EQ(DeviceStatusText::longitude(r), "12128.1234E");

    // Without a fix the sensor sends NUL bytes: nothing shows but the letters.
    p.put(212, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}).put(222, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    const SettingData empty = DeviceInfoPacket::decodeSettingData(p.span());
    EXPECT_EQ(DeviceStatusText::latitude(empty), "N");
    EXPECT_EQ(DeviceStatusText::longitude(empty), "E");
}

TEST(DeviceStatusText, MacIsLowerCaseHexJoinedByDashes) {
    EXPECT_EQ(DeviceStatusText::mac({0, 10, 53, 0, 30, 83, 2368, 2369}), "00-0a-35-00-1e-53");
    EXPECT_EQ(DeviceStatusText::mac({255, 171, 1, 2, 3, 4, 0, 0}), "ff-ab-01-02-03-04");
}
