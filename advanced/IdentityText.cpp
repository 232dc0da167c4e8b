#include "advanced/IdentityText.h"

#include "advanced/WordSplit.h"

#include <cstdlib>

namespace IdentityText {

namespace {

const char* const kModelCodes[] = {"K004", "K008", "K016", "K032", "K048", "K064", "K128"};
const char* const kVariantCodes[] = {"701", "121", "151", "201"};
constexpr int kModelNumbers[] = {4, 8, 16, 32, 48, 64};
constexpr int kVariantNumbers[] = {701, 121, 151};
constexpr std::size_t kCodesLength = 7; // "K032" and "121"

// The leading integer of `text`: optional blanks and sign, then digits; 0
// when there are none.
long long leadingInteger(const QString& text) {
    return std::strtoll(text.toLatin1().constData(), nullptr, 10);
}

template <std::size_t N>
std::uint8_t indexOf(long long number, const int (&table)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        if (number == table[i]) {
            return static_cast<std::uint8_t>(i);
        }
    }
    return static_cast<std::uint8_t>(N);
}

} // namespace

QString serialNumber(const SettingData& status) {
    const std::size_t model = std::min<std::size_t>(status.status60, 6);
    const std::size_t variant = std::min<std::size_t>(status.status61, 3);
    const auto running = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(status.status62[0]) << 24 |
        static_cast<std::uint32_t>(status.status62[1]) << 16 |
        static_cast<std::uint32_t>(status.status62[2]) << 8 | status.status62[3]);
    return QLatin1String(kModelCodes[model]) + QLatin1String(kVariantCodes[variant]) +
           QString::number(running);
}

QString version(const SettingData& status) {
    return QStringLiteral("V%1%2%3")
        .arg(status.status66[1])
        .arg(status.status66[2])
        .arg(status.status66[3]);
}

std::optional<std::array<std::uint8_t, 6>> serialNumberBytes(const QString& text) {
    const std::array<std::uint8_t, 6> defaults{2, 1, 0, 0, 0, 0};
    const int length = text.size();
    int p = -1;
    for (int i = 0; i + static_cast<int>(kCodesLength) <= length; ++i) {
        if (text[i] == QLatin1Char('K')) {
            p = i;
            break;
        }
    }
    if (p < 0 || p + static_cast<int>(kCodesLength) == length) {
        return defaults;
    }
    const long long running = leadingInteger(text.mid(p + 7));
    if (running < -2147483648LL || running > 2147483647LL) {
        return std::nullopt;
    }
    const auto number = splitWord32(running);
    return std::array<std::uint8_t, 6>{indexOf(leadingInteger(text.mid(p + 1, 3)), kModelNumbers),
                                       indexOf(leadingInteger(text.mid(p + 4, 3)), kVariantNumbers),
                                       number[0],
                                       number[1],
                                       number[2],
                                       number[3]};
}

std::array<std::uint8_t, 4> versionBytes(const QString& text) {
    if (text.isEmpty()) {
        return {'V', 1, 0, 0};
    }
    const int p = text.indexOf(QLatin1Char('V'));
    if (p < 0 || text.size() < 4 || p + 4 > text.size()) {
        return {'V', 0, 0, 0};
    }
    const auto digit = [&text](int i) {
        const char c = text[i].toLatin1();
        return static_cast<std::uint8_t>(c >= '0' && c <= '9' ? c - '0' : 0);
    };
    return {'V', digit(p + 1), digit(p + 2), digit(p + 3)};
}

} // namespace IdentityText
