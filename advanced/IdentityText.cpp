#include "advanced/IdentityText.h"

#include "advanced/WordSplit.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace IdentityText {

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("ACWPSetMuch", text);
}

// The named codes, by index.
const char* const kModelCodes[] = {"004", "008", "016", "032", "048", "064", "128"};
const char* const kVariantCodes[] = {"701", "121", "151", "201"};

template <std::size_t N>
QString codeText(std::uint8_t code, const char* const (&named)[N]) {
    return code < N ? QLatin1String(named[code]) : QStringLiteral("(%1)").arg(code);
}

// A named code or a bracketed one of 0..255; nothing otherwise.
template <std::size_t N>
std::optional<std::uint8_t> codeOf(const QString& text, const char* const (&named)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        if (text == QLatin1String(named[i])) {
            return static_cast<std::uint8_t>(i);
        }
    }
    if (text.startsWith(QLatin1Char('('))) {
        const int code = text.mid(1, text.size() - 2).toInt();
        if (code <= 255) {
            return static_cast<std::uint8_t>(code);
        }
    }
    return std::nullopt;
}

} // namespace

QString serialNumber(const SettingData& status) {
    const auto running = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(status.status62[0]) << 24 |
        static_cast<std::uint32_t>(status.status62[1]) << 16 |
        static_cast<std::uint32_t>(status.status62[2]) << 8 | status.status62[3]);
    return QLatin1Char('K') + codeText(status.status60, kModelCodes) +
           codeText(status.status61, kVariantCodes) + QString::number(running);
}

QString version(const SettingData& status) {
    return QStringLiteral("V%1.%2.%3")
        .arg(status.status66[1])
        .arg(status.status66[2])
        .arg(status.status66[3]);
}

std::optional<std::array<std::uint8_t, 6>> serialNumberBytes(const QString& text, QString* why) {
    static const QRegularExpression form(
        QStringLiteral("^K(\\d{3}|\\(\\d{1,3}\\))(\\d{3}|\\(\\d{1,3}\\))(-?\\d{1,10})$"));
    const QRegularExpressionMatch match = form.match(text.trimmed());
    const std::optional<std::uint8_t> model =
        match.hasMatch() ? codeOf(match.captured(1), kModelCodes) : std::nullopt;
    const std::optional<std::uint8_t> variant =
        match.hasMatch() ? codeOf(match.captured(2), kVariantCodes) : std::nullopt;
    const long long running = match.captured(3).toLongLong();
    if (!model || !variant || running < INT32_MIN || running > INT32_MAX) {
        if (why) {
            *why = tr("Serial Num: \"%1\" is not a serial number the sensor can take: K, the model "
                      "code (004, 008, 016, 032, 048, 064, 128, or any code of 0 to 255 in "
                      "brackets such as (9)), the variant code (701, 121, 151, 201, or (0) to "
                      "(255)) and a running number of -2147483648 to 2147483647, as in "
                      "K03212112345. Nothing was sent.")
                       .arg(text);
        }
        return std::nullopt;
    }
    const auto number = splitWord32(running);
    return std::array<std::uint8_t, 6>{*model,    *variant,  number[0],
                                       number[1], number[2], number[3]};
}

std::optional<std::array<std::uint8_t, 3>> versionNumbers(const QString& text, QString* why) {
    static const QRegularExpression dotted(
        QStringLiteral("^V(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})$"));
    static const QRegularExpression digits(QStringLiteral("^V(\\d)(\\d)(\\d)$"));
    QRegularExpressionMatch match = dotted.match(text.trimmed());
    if (!match.hasMatch()) {
        match = digits.match(text.trimmed());
    }
    std::array<std::uint8_t, 3> numbers{};
    for (int i = 0; i < 3 && match.hasMatch(); ++i) {
        const int number = match.captured(i + 1).toInt();
        if (number > 255) {
            match = QRegularExpressionMatch();
        }
        numbers[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(number);
    }
    if (!match.hasMatch()) {
        if (why) {
            *why = tr("Version Num: \"%1\" is not a version the sensor can take: V and three "
                      "numbers of 0 to 255 joined by points, as in V2.1.0. Nothing was sent.")
                       .arg(text);
        }
        return std::nullopt;
    }
    return numbers;
}

} // namespace IdentityText
