#pragma once

#include "device/SettingData.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

// The sensor's serial number and firmware version as the advanced window
// shows and sends them. Every value the packet can carry has exactly one
// text, and every text read back means one value only:
// - serial number: "K", the model code (004, 008, 016, 032, 048, 064 or 128
//   for codes 0..6, any code of 0..255 as "(9)"), the variant code (701, 121,
//   151 or 201 for codes 0..3, any as "(7)") and the running number, a
//   signed 32-bit number: "K03212112345", "K(9)(7)-5";
// - version: "V" and the three numbers of 0..255 joined by points,
//   "V1.12.3" (three single digits without points, "V103", are read too).
namespace IdentityText {

// Model code, variant code and running number of the status record.
QString serialNumber(const SettingData& status);
// The three version numbers of the status record (bytes 67..69).
QString version(const SettingData& status);

// Packet bytes 60..65 for a serial-number text; nothing, with the reason in
// `why`, for a text of another form or numbers the bytes cannot carry.
std::optional<std::array<std::uint8_t, 6>> serialNumberBytes(const QString& text, QString* why);

// Packet bytes 67..69 for a version text; nothing, with the reason in `why`,
// for a text of another form.
std::optional<std::array<std::uint8_t, 3>> versionNumbers(const QString& text, QString* why);

} // namespace IdentityText
