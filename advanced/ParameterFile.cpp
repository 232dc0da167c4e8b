#include "advanced/ParameterFile.h"

#include <QSaveFile>

namespace ParameterFile {

namespace {

constexpr std::size_t kFirstLineBytes = 6;
constexpr std::size_t kLineBytes = 16;

} // namespace

QByteArray text(const DeviceInfoPacket::Bytes& packet) {
    static const char digits[] = "0123456789abcdef";
    QByteArray out;
    out.reserve(kFileSize);
    for (std::size_t i = 0; i < packet.size(); ++i) {
        if (i == kFirstLineBytes ||
            (i > kFirstLineBytes && (i - kFirstLineBytes) % kLineBytes == 0)) {
            out.append("\r\n");
        }
        out.append(digits[packet[i] >> 4]);
        out.append(digits[packet[i] & 0x0F]);
        out.append(' ');
    }
    return out;
}

bool write(const QString& path, const DeviceInfoPacket::Bytes& packet) {
    QSaveFile file(path);
    // Where no temporary file can be made beside it, write the file itself.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray dump = text(packet);
    return file.write(dump) == dump.size() && file.commit();
}

} // namespace ParameterFile
