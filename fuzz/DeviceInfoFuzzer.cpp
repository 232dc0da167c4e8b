// Device-information packets: decoding any 1206 bytes gives the record, the
// port vector and the texts the windows show, and what the packet says reads
// back the same from the packet rebuilt from it.

#include "FuzzCheck.h"
#include "device/DeviceInfoPacket.h"
#include "device/DeviceState.h"
#include "device/DeviceStatusText.h"

#include <QRegularExpression>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DeviceInfoPacket::Bytes bytes{};
    std::memcpy(bytes.data(), data, std::min(size, bytes.size()));
    FUZZ_CHECK(DeviceInfoPacket::isDeviceInfoPacket(data, size) ==
               (size == DeviceInfoPacket::kSize && data[0] == 0xA5 && data[1] == 0xFF));
    const ByteSpan packet(bytes.data(), bytes.size());

    const SettingData record = DeviceInfoPacket::decodeSettingData(packet);
    const std::vector<int> ports = DeviceInfoPacket::portVector(packet);
    FUZZ_CHECK(ports.size() == 8);
    for (std::size_t i = 0; i < 6; ++i) {
        FUZZ_CHECK(ports[i] == bytes[DeviceInfoPacket::kMac + i]);
    }
    FUZZ_CHECK(ports[6] >= 0 && ports[6] <= 0xFFFF && ports[7] >= 0 && ports[7] <= 0xFFFF);

    static const QRegularExpression time(
        QStringLiteral("^\\d+/\\d+/\\d+ (\\d+):\\d+:\\d+:\\d+:\\d+$"));
    const QRegularExpressionMatch shown = time.match(DeviceStatusText::deviceTime(record));
    FUZZ_CHECK(shown.hasMatch());
    FUZZ_CHECK(shown.captured(1).toInt() < 24);
    FUZZ_CHECK(!DeviceStatusText::latitude(record).contains(QChar(u'\0')));
    FUZZ_CHECK(!DeviceStatusText::longitude(record).contains(QChar(u'\0')));
    FUZZ_CHECK(DeviceStatusText::mac(ports).size() == 17);

    // The version text names the six bytes whenever they fit its form.
    const std::uint8_t* board = bytes.data() + DeviceInfoPacket::kBoardVersion;
    const QString version = DeviceInfoPacket::mainBoardVersionText(packet);
    const bool printable = board[2] >= 1 && board[2] <= 12 && board[3] >= 1 && board[3] <= 31 &&
                           (board[5] >> 4) <= 9 && (board[5] & 0x0F) <= 9;
    const auto parsed = DeviceInfoPacket::mainBoardVersionBytes(version);
    FUZZ_CHECK(parsed.has_value() == printable);
    if (parsed) {
        FUZZ_CHECK(std::memcmp(parsed->data(), board, 6) == 0);
    }

    const DeviceState state = DeviceState::fromPacket(packet);
    const DeviceInfoPacket::Bytes rebuilt = state.toPacket();
    FUZZ_CHECK(DeviceState::fromPacket(ByteSpan(rebuilt.data(), rebuilt.size())) == state);
    return 0;
}
