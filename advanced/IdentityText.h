#pragma once

#include "device/SettingData.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

// The sensor's serial number and firmware version as the advanced window
// shows and sends them: "K03212112345" is model code K032, variant 121 and
// running number 12345; "V103" is version 1, 0, 3.
namespace IdentityText {

// Model code, variant code and running number of the status record.
QString serialNumber(const SettingData& status);
// "V" and the three version numbers of the status record, no separators.
QString version(const SettingData& status);

// Packet bytes 60..65 for a serial-number text. Text without a model code
// followed by at least eight characters gives the defaults 02 01 00 00 00 00.
// Nothing when the running number does not fit 32 bits.
std::optional<std::array<std::uint8_t, 6>> serialNumberBytes(const QString& text);

// Packet bytes 66..69: the letter V and three numbers, one digit each, taken
// from the characters after the first V (1, 0, 0 for an empty text).
std::array<std::uint8_t, 4> versionBytes(const QString& text);

} // namespace IdentityText
