#include "device/ConfigFields.h"

#include <QStringList>

std::optional<AddressBytes> parseAddressField(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4) {
        return std::nullopt;
    }
    AddressBytes address{};
    for (int i = 0; i < 4; ++i) {
        const QString& part = parts[i];
        bool ok = false;
        const int value = part.toInt(&ok, 10);
        // toInt alone would also take signs and blanks.
        if (!ok || part.isEmpty() || part.size() > 3 || !part.front().isDigit() ||
            !part.back().isDigit() || value > 255) {
            return std::nullopt;
        }
        address[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value);
    }
    return address;
}

QString addressFieldText(const AddressBytes& address) {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address[0])
        .arg(address[1])
        .arg(address[2])
        .arg(address[3]);
}

std::optional<MacBytes> parseMacField(const QString& text) {
    if (text.size() != 17) {
        return std::nullopt;
    }
    MacBytes mac{};
    for (int i = 0; i < 6; ++i) {
        const QString group = text.mid(3 * i, 2);
        bool ok = false;
        const uint value = group.toUInt(&ok, 16);
        if (!ok || !group[0].isLetterOrNumber() || !group[1].isLetterOrNumber()) {
            return std::nullopt;
        }
        mac[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value);
    }
    return mac;
}

std::optional<std::uint16_t> parsePortField(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value <= 1024 || value >= 65536) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

std::optional<std::uint16_t> parseIntervalField(const QString& text) {
    if (text.isEmpty()) {
        return 1;
    }
    bool ok = false;
    const long long value = text.toLongLong(&ok, 10);
    if (!ok || value < 0 || value > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

std::uint16_t motorRpmForRate(const QString& rotateSpeed) {
    if (rotateSpeed == QLatin1String(" 5 HZ")) {
        return 300;
    }
    if (rotateSpeed == QLatin1String(" 10 HZ")) {
        return 600;
    }
    return 1200;
}

QString configFieldsRefusal(const ConfigFields& fields) {
    const auto addressRefusal = [](const QString& text, const char* name) {
        if (text.isEmpty() || parseAddressField(text)) {
            return QString();
        }
        return QStringLiteral("%1 \"%2\" is not a complete IP address (four numbers of 0 to "
                              "255). Please reset it！")
            .arg(QLatin1String(name), text);
    };
    for (const QString& refusal :
         {addressRefusal(fields.sensorIp, "Lidar IP"), addressRefusal(fields.destIp, "Computer IP"),
          addressRefusal(fields.ntpIp, "NTP IP")}) {
        if (!refusal.isEmpty()) {
            return refusal;
        }
    }
    if (!parseIntervalField(fields.interval)) {
        return QStringLiteral("Packet interval \"%1\" must be a whole number of 0 to "
                              "65535. Please reset it！")
            .arg(fields.interval);
    }
    return QString();
}
