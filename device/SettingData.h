#pragma once

#include <QMetaType>
#include <cstdint>
#include <vector>

// The decoded device-information packet. Packed: the fields follow one
// another without gaps, in this order, as the configuration dialogs expect.
// Multi-byte fields marked "as they stand" keep the packet's byte order.
#pragma pack(push, 1)
struct SettingData {
    std::uint8_t destIp[4];
    std::uint8_t dataPortRaw[2]; // as they stand: high byte first
    std::uint8_t timeYear;       // year minus 2000
    std::uint8_t timeMonth;
    std::uint8_t timeDay;
    std::uint8_t timeHour; // UTC
    std::uint8_t timeMinute;
    std::uint8_t timeSecond;
    std::uint8_t timeMillis[2]; // high byte first
    std::uint8_t timeMicros[2]; // high byte first
    std::int32_t words[7];      // segment factors, hundredths
    std::int32_t motorRpm;
    std::int32_t packetInterval;
    std::int32_t motorState; // 0 running, 1 stopped
    char latitude[10];
    char latitudeHemisphere;
    char longitude[10];
    char longitudeHemisphere;
    std::int8_t channelTableA[128];
    std::int8_t channelTableB[128];
    std::uint8_t tableC[48][2]; // as they stand
    std::uint8_t tableD[48][2]; // as they stand
    std::int8_t tableE[48];
    std::int8_t tableF[48];
    std::uint8_t status60;
    std::uint8_t status61;
    std::uint8_t status62[4];
    std::uint8_t status66[4];
    std::uint8_t boardVersion[6];
};
#pragma pack(pop)

static_assert(sizeof(SettingData) == 638, "SettingData must have no gaps");

Q_DECLARE_METATYPE(SettingData)

// Registers the record under "SettingData" and "struct SettingData" and the
// port vector under "std::vector<int>", so both can travel in queued signals
// whichever spelling a connection uses. Call before the receivers start.
void registerSettingDataMetaTypes();
