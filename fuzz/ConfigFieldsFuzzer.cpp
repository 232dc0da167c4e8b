// The laser configuration window's fields: whatever text is typed, a field
// either parses to a value that prints back as text parsing to the same
// value, or is refused, and the window refuses exactly what its parsers do.

#include "FuzzCheck.h"
#include "device/ConfigFields.h"

#include <QStringList>

namespace {

void checkAddress(const QString& text) {
    const std::optional<AddressBytes> address = parseAddressField(text);
    if (address) {
        FUZZ_CHECK(parseAddressField(addressFieldText(*address)) == address);
    }
}

void checkMac(const QString& text) {
    const std::optional<MacBytes> mac = parseMacField(text);
    if (mac) {
        QStringList groups;
        for (std::uint8_t b : *mac) {
            groups << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0'));
        }
        FUZZ_CHECK(parseMacField(groups.join(QLatin1Char('-'))) == mac);
    }
}

void checkPort(const QString& text) {
    const std::optional<std::uint16_t> port = parsePortField(text);
    if (port) {
        FUZZ_CHECK(*port > 1024);
        FUZZ_CHECK(parsePortField(QString::number(*port)) == port);
    }
}

void checkInterval(const QString& text) {
    const std::optional<std::uint16_t> interval = parseIntervalField(text);
    FUZZ_CHECK(!text.isEmpty() || interval == std::uint16_t{1});
    if (interval && !text.isEmpty()) {
        FUZZ_CHECK(parseIntervalField(QString::number(*interval)) == interval);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<int>(size));
    // One field per line, in the order of ConfigFields.
    QStringList lines = text.split(QLatin1Char('\n'));
    while (lines.size() < 10) {
        lines << QString();
    }
    const ConfigFields fields{lines[0], lines[1], lines[2], lines[3], lines[4],
                              lines[5], lines[6], lines[7], lines[8], lines[9]};
    for (const QString& line : lines) {
        checkAddress(line);
        checkMac(line);
        checkPort(line);
        checkInterval(line);
        const std::uint16_t rpm = motorRpmForRate(line);
        FUZZ_CHECK(rpm == 300 || rpm == 600 || rpm == 1200);
    }

    const auto addressAccepted = [](const QString& field) {
        return field.isEmpty() || parseAddressField(field).has_value();
    };
    const bool accepted = addressAccepted(fields.sensorIp) && addressAccepted(fields.destIp) &&
                          addressAccepted(fields.ntpIp) &&
                          parseIntervalField(fields.interval).has_value();
    FUZZ_CHECK(configFieldsRefusal(fields).isEmpty() == accepted);
    return 0;
}
