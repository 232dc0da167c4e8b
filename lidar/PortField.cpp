#include "lidar/PortField.h"

#include <QCoreApplication>

namespace PortField {

std::optional<std::uint16_t> parse(const QString& text) {
    if (text.isEmpty() || text.size() > 5) {
        return std::nullopt;
    }
    int value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return std::nullopt;
        }
        value = value * 10 + (c.unicode() - '0');
    }
    if (value < 1 || value > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

QString refusal(const QString& name, const QString& text) {
    if (parse(text)) {
        return QString();
    }
    return QCoreApplication::translate("manwindowClass",
                                       "%1 \"%2\" is not a port: enter a whole number from 1 to "
                                       "65535.")
        .arg(name, text);
}

} // namespace PortField
