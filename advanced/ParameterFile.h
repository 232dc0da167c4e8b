#pragma once

#include "device/DeviceInfoPacket.h"

#include <QByteArray>
#include <QString>

// The parameter file: one device-information packet as a hexadecimal dump,
// two lower-case digits and a blank per byte, 6 bytes on the first line and
// 16 on each of the other 75, CR LF between lines and none after the last
// (3,768 bytes). Written only; nothing reads it back.
namespace ParameterFile {

constexpr int kFileSize = 3768;

QByteArray text(const DeviceInfoPacket::Bytes& packet);

// Replaces `path` with the dump. False when the file cannot be written, in
// which case an existing file keeps its content.
bool write(const QString& path, const DeviceInfoPacket::Bytes& packet);

} // namespace ParameterFile
