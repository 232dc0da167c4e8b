#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

// The texts of the laser configuration window's editable fields, as the
// configuration packet is built from them.
struct ConfigFields {
    QString sensorIp;      // "Lidar IP："
    QString destIp;        // "Computer IP："
    QString mac;           // "Mac："
    QString dataPort;      // "Data Port："
    QString equipmentPort; // "Equipment Port："
    QString ntpIp;         // "NTP IP："
    QString interval;      // "Packet interval："
    QString rotateSpeed;   // " 5 HZ", " 10 HZ" or " 20 HZ"
    QString localTime;     // " Yes" or " No"
    QString motorState;    // "Run" or "Stop"
};

using AddressBytes = std::array<std::uint8_t, 4>;
using MacBytes = std::array<std::uint8_t, 6>;

// A complete dotted address: four decimal parts of 0..255. The window's
// validator lets incomplete text such as "192.168." stay in a field; that
// gives no address.
std::optional<AddressBytes> parseAddressField(const QString& text);
// The address as dotted decimal text, as parseAddressField reads it.
QString addressFieldText(const AddressBytes& address);

// Six two-digit hexadecimal groups at positions 0, 3, ..., 15 of a
// 17-character text; the separators are not looked at.
std::optional<MacBytes> parseMacField(const QString& text);

// A port the sensor accepts from the window: 1025..65535.
std::optional<std::uint16_t> parsePortField(const QString& text);

// The packet interval: 1 when the field is empty, else a whole number of
// 0..65535.
std::optional<std::uint16_t> parseIntervalField(const QString& text);

// Motor speed in rpm for the rotation rate shown: 300, 600, else 1200.
std::uint16_t motorRpmForRate(const QString& rotateSpeed);

// Why the fields cannot go into a configuration packet, naming the field;
// empty when they can. Empty address fields are fine (they keep what the
// sensor reported); port fields never refuse (they fall back the same way).
QString configFieldsRefusal(const ConfigFields& fields);
