#include "advanced/AdvancedFields.h"

#include "advanced/IdentityText.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdint>
#include <optional>

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("ACWPSetMuch", text);
}

// Whole numbers of the sensor's signed bytes and of its 16-bit words.
constexpr int kByteMin = -128;
constexpr int kByteMax = 127;
constexpr int kWordMin = -32768;
constexpr int kWordMax = 65535;

class Reader {
public:
    explicit Reader(QString& refusal) : refusal_(refusal) {}

    bool failed() const { return !refusal_.isEmpty(); }

    // A whole number; 0 for an empty text.
    std::optional<int> whole(const QString& field, const QString& text, int min, int max) {
        return scaled(field, text, 0, min, max);
    }

    // Hundredths of the value; 0 for an empty text.
    std::optional<int> hundredths(const QString& field, const QString& text, int min, int max) {
        return scaled(field, text, 2, min, max);
    }

    void refuse(const QString& text) {
        if (!failed()) {
            refusal_ = text;
        }
    }

private:
    std::optional<int> scaled(const QString& field, const QString& text, int decimals, int min,
                              int max) {
        if (failed()) {
            return std::nullopt;
        }
        // Blanks alone (which the validators let through) are empty.
        if (text.trimmed().isEmpty()) {
            return 0;
        }
        const std::optional<long long> value = scaledDecimal(text, decimals);
        if (!value) {
            refuse(decimals == 0
                       ? tr("%1: \"%2\" is not a whole number. Nothing was sent.").arg(field, text)
                       : tr("%1: \"%2\" is not a number with at most two decimals. Nothing was "
                            "sent.")
                             .arg(field, text));
            return std::nullopt;
        }
        if (*value < min || *value > max) {
            const auto shown = [decimals](int n) {
                return decimals == 0 ? QString::number(n) : QString::number(n / 100.0, 'f', 2);
            };
            refuse(tr("%1: %2 cannot be sent; the sensor takes %3 to %4. Nothing was sent.")
                       .arg(field, text, shown(min), shown(max)));
            return std::nullopt;
        }
        return static_cast<int>(*value);
    }

    QString& refusal_;
};

QString channelField(const char* group, int channel) {
    return tr("%1, channel %2").arg(tr(group)).arg(channel);
}

} // namespace

std::optional<long long> scaledDecimal(const QString& text, int decimals) {
    const QString t = text.trimmed();
    int i = 0;
    const bool negative = i < t.size() && t[i] == QLatin1Char('-');
    i += negative ? 1 : 0;
    long long value = 0;
    int digits = 0;
    int fraction = -1; // digits after the point; -1 before it
    constexpr long long kLimit = INT64_MAX / 10 - 9;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c == QLatin1Char('.') && fraction < 0) {
            fraction = 0;
            continue;
        }
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return std::nullopt;
        }
        ++digits;
        const int digit = c.unicode() - '0';
        if (fraction >= 0 && ++fraction > decimals) {
            if (digit != 0) {
                return std::nullopt;
            }
            continue;
        }
        if (value > kLimit) {
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    for (int f = fraction < 0 ? 0 : std::min(fraction, decimals); f < decimals; ++f) {
        if (value > kLimit) {
            return std::nullopt;
        }
        value *= 10;
    }
    return negative ? -value : value;
}

AdvancedFieldsRead readAdvancedFields(const AdvancedFields& f) {
    AdvancedFieldsRead read;
    AdvancedValues& v = read.values;
    Reader reader(read.refusal);

    const std::optional<int> right = reader.whole(tr("Right"), f.right, INT16_MIN, INT16_MAX);
    const std::optional<int> left = reader.whole(tr("Left"), f.left, INT16_MIN, INT16_MAX);
    for (int i = 0; i < AdvancedFields::kStaticCount && !reader.failed(); ++i) {
        const QString& text = f.staticChannels[static_cast<std::size_t>(i)];
        if (text.trimmed().isEmpty()) {
            continue;
        }
        const QString field =
            tr("Static calibration, channel %1, value %2").arg(i / 8).arg(i % 8 + 1);
        const std::optional<int> value = reader.whole(field, text, INT16_MIN, INT16_MAX);
        if (!value) {
            break;
        }
        const bool firstHalf = i < AdvancedFields::kStaticCount / 2;
        const int offset = *(firstHalf ? right : left);
        const int sum = *value + offset;
        if (sum < kByteMin || sum > kByteMax) {
            reader.refuse(tr("%1: %2 with the %3 offset %4 makes %5, which cannot be sent; the "
                             "sensor takes %6 to %7. Nothing was sent.")
                              .arg(field, text, firstHalf ? tr("Right") : tr("Left"))
                              .arg(offset)
                              .arg(sum)
                              .arg(kByteMin)
                              .arg(kByteMax));
            break;
        }
        v.staticValues[static_cast<std::size_t>(i)] = sum;
    }

    for (int n = 1; n <= AdvancedFields::kChannelCount && !reader.failed(); ++n) {
        const auto k = static_cast<std::size_t>(n - 1);
        v.pitchValues[k] = reader
                               .hundredths(channelField("Pitching angle calibration", n - 1),
                                           f.pitch[k], kWordMin, kWordMax)
                               .value_or(0);
        v.azimuthValues[k] = reader
                                 .hundredths(channelField("Azimuth calibration", n - 1),
                                             f.azimuth[k], kWordMin, kWordMax)
                                 .value_or(0);
        v.intensityValues[k] = reader
                                   .whole(channelField("Reflectivity calibration", n - 1),
                                          f.intensity[k], kByteMin, kByteMax)
                                   .value_or(0);
    }

    for (int k = 0; k < AdvancedFields::kSegmentCount && !reader.failed(); ++k) {
        const auto i = static_cast<std::size_t>(k);
        v.segmentFactors[i] =
            reader.hundredths(tr("Segment Factor %1").arg(k + 1), f.segmentFactors[i], 0, kWordMax)
                .value_or(0);
    }

    // The sensor does not report its range, so nothing but a typed one may go.
    if (f.measureRange.trimmed().isEmpty()) {
        reader.refuse(tr("Measure range: the sensor does not report its measure range; type the "
                         "range to set (0.01 to 655.35). Nothing was sent."));
    } else {
        v.measureRange =
            reader.hundredths(tr("Measure range"), f.measureRange, 1, kWordMax).value_or(0);
    }

    QString why;
    if (const auto serial = IdentityText::serialNumberBytes(f.serialNumber, &why)) {
        v.serialBytes = *serial;
    } else {
        reader.refuse(why);
    }
    if (const auto version = IdentityText::versionNumbers(f.version, &why)) {
        v.versionNumbers = *version;
    } else {
        reader.refuse(why);
    }
    return read;
}
