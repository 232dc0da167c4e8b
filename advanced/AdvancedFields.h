#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

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
    int measureRange = 0;                                             // hundredths
    std::array<std::uint8_t, 6> serialBytes{};                        // bytes 60..65
    std::array<std::uint8_t, 3> versionNumbers{};                     // bytes 67..69
};

// Reads the fields as "Set" sends them, each value exactly as typed:
// - an empty per-channel field, offset or segment factor is 0 (an empty
//   static field 0 whatever its offset);
// - static values, offsets and reflectivity are whole numbers; pitch,
//   azimuth, segment factors and the measure range are sent in hundredths;
// - the measure range, which the sensor does not report, must be typed;
// - text that is not a number, a value with more decimals than its field
//   carries, a value its bytes cannot carry, and a serial number or version
//   of another form are refused with a text naming the field, and nothing
//   may be sent.
struct AdvancedFieldsRead {
    QString refusal;
    AdvancedValues values;
    bool ok() const { return refusal.isEmpty(); }
};
AdvancedFieldsRead readAdvancedFields(const AdvancedFields& fields);

// The value of a decimal text scaled by 10^decimals, exactly (no floating
// point): "-6.25" with 2 decimals is -625, "2" with 0 decimals is 2. Blanks
// around the number are ignored. Nothing for other text, for digits beyond
// `decimals` that are not 0, and for values beyond the 64-bit range.
std::optional<long long> scaledDecimal(const QString& text, int decimals);
