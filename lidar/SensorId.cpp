#include "lidar/SensorId.h"

#include <QStringList>
#include <algorithm>

QString SensorId::text() const {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(address >> 24)
        .arg(address >> 16 & 0xFF)
        .arg(address >> 8 & 0xFF)
        .arg(address & 0xFF);
}

QString SensorId::textWithPort() const {
    return QStringLiteral("%1:%2").arg(text()).arg(port);
}

QString SensorId::label(const std::vector<SensorId>& all) const {
    const bool shared = std::any_of(all.begin(), all.end(), [this](const SensorId& other) {
        return other.address == address && other.port != port;
    });
    return shared ? textWithPort() : text();
}

QString SensorId::labels(const std::vector<SensorId>& sensors) {
    QStringList names;
    for (const SensorId& s : sensors) {
        names << s.label(sensors);
    }
    return names.join(QStringLiteral(", "));
}

QString SensorId::notHeard(const SensorId& wanted, const std::vector<SensorId>& heard) {
    const QString name = wanted.port == 0 ? wanted.text() : wanted.textWithPort();
    return heard.empty() ? QStringLiteral("no sensor sends from %1").arg(name)
                         : QStringLiteral("no sensor sends from %1; the sensors heard: %2")
                               .arg(name, labels(heard));
}

std::optional<SensorId> SensorId::parse(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() > 2) {
        return std::nullopt;
    }
    const QStringList bytes = parts[0].split(QLatin1Char('.'));
    if (bytes.size() != 4) {
        return std::nullopt;
    }
    SensorId id;
    for (const QString& byte : bytes) {
        bool ok = false;
        const uint value = byte.toUInt(&ok);
        // Digits only: no sign, blank or other base.
        if (!ok || value > 255 || byte.isEmpty() || byte.size() > 3 ||
            !std::all_of(byte.begin(), byte.end(), [](QChar c) { return c.isDigit(); })) {
            return std::nullopt;
        }
        id.address = id.address << 8 | value;
    }
    if (parts.size() == 2) {
        const QString& port = parts[1];
        bool ok = false;
        const uint value = port.toUInt(&ok);
        if (!ok || value < 1 || value > 65535 || port.size() > 5 ||
            !std::all_of(port.begin(), port.end(), [](QChar c) { return c.isDigit(); })) {
            return std::nullopt;
        }
        id.port = static_cast<std::uint16_t>(value);
    }
    return id;
}
