#pragma once

#include <QString>
#include <array>
#include <cstdint>

// The texts of the advanced parameter window's fields, as "Set" reads them.
struct AdvancedFields {
    static constexpr int kStaticCount = 256;
    static constexpr int kChannelCount = 32;
    static constexpr int kSegmentCount = 7;

    std::array<QString, kStaticCount> staticChannels; // row c, column j at 8c + j - 1
    QString left;                                     // added to static values 129..256
    QString right;                                    // added to static values 1..128
    std::array<QString, kChannelCount> pitch;
    std::array<QString, kChannelCount> azimuth;
    std::array<QString, kChannelCount> intensity;
    QString serialNumber;
    QString version;
    std::array<QString, kSegmentCount> segmentFactors;
    QString measureRange;
};

// The numbers an advanced parameter packet carries, read from the fields.
struct AdvancedValues {
    std::array<int, AdvancedFields::kStaticCount> staticValues{}; // -128..127
    std::array<int, AdvancedFields::kChannelCount> pitchValues{}; // hundredths, -32768..65535
    std::array<int, AdvancedFields::kChannelCount> azimuthValues{};
    std::array<int, AdvancedFields::kChannelCount> intensityValues{}; // -128..127
    std::array<int, AdvancedFields::kSegmentCount> segmentFactors{};  // hundredths, 0..65535
    int measureRange = 16000;                                         // hundredths
    std::array<std::uint8_t, 6> serialBytes{};
    std::array<std::uint8_t, 4> versionBytes{};
};

// Reads the fields as "Set" sends them:
// - an empty field is 0 (an empty static field 0 whatever its offset, an
//   empty measure range 160.00);
// - static values, offsets and reflectivity take whole numbers, decimals
//   truncated toward zero; pitch, azimuth, segment factors and the measure
//   range are sent in hundredths, rounded to the nearest;
// - text that is not a number, or a value its bytes cannot carry, is
//   refused with a text naming the field, and nothing may be sent.
struct AdvancedFieldsRead {
    QString refusal;
    AdvancedValues values;
    bool ok() const { return refusal.isEmpty(); }
};
AdvancedFieldsRead readAdvancedFields(const AdvancedFields& fields);
