#include "advanced/AdvancedFields.h"

#include "advanced/IdentityText.h"

#include <QCoreApplication>
#include <cmath>
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
constexpr int kDefaultMeasureRange = 16000;

class Reader {
public:
    explicit Reader(QString& refusal) : refusal_(refusal) {}

    bool failed() const { return !refusal_.isEmpty(); }

    // A whole number, decimals truncated toward zero; 0 for an empty text.
    std::optional<int> whole(const QString& field, const QString& text, int min, int max) {
        const std::optional<double> value = number(field, text);
        if (!value) {
            return std::nullopt;
        }
        return inRange(field, text, std::trunc(*value), min, max, 1);
    }

    // Hundredths of the value, rounded to the nearest; 0 for an empty text.
    std::optional<int> hundredths(const QString& field, const QString& text, int min, int max) {
        const std::optional<double> value = number(field, text);
        if (!value) {
            return std::nullopt;
        }
        return inRange(field, text, std::round(*value * 100), min, max, 100);
    }

    void refuse(const QString& text) {
        if (!failed()) {
            refusal_ = text;
        }
    }

    // The value of the text; 0 for an empty text (or blanks, which the
    // validators let through as empty).
    std::optional<double> number(const QString& field, const QString& text) {
        if (failed()) {
            return std::nullopt;
        }
        if (text.trimmed().isEmpty()) {
            return 0.0;
        }
        bool ok = false;
        const double value = text.trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(value)) {
            refuse(tr("%1: \"%2\" is not a number. Nothing was sent.").arg(field, text));
            return std::nullopt;
        }
        return value;
    }

    std::optional<int> inRange(const QString& field, const QString& text, double value, int min,
                               int max, int scale) {
        if (value < min || value > max) {
            const auto shown = [scale](int n) {
                return scale == 1 ? QString::number(n) : QString::number(n / 100.0, 'f', 2);
            };
            refuse(tr("%1: %2 cannot be sent; the sensor takes %3 to %4. Nothing was sent.")
                       .arg(field, text, shown(min), shown(max)));
            return std::nullopt;
        }
        return static_cast<int>(value);
    }

private:
    QString& refusal_;
};

QString channelField(const char* group, int channel) {
    return tr("%1, channel %2").arg(tr(group)).arg(channel);
}

} // namespace

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

    // An empty or non-positive range asks for the sensor's usual 160.00.
    const std::optional<double> range = reader.number(tr("Measure range"), f.measureRange);
    if (range && std::round(*range * 100) > 0) {
        v.measureRange =
            reader.hundredths(tr("Measure range"), f.measureRange, 1, kWordMax).value_or(0);
    } else {
        v.measureRange = kDefaultMeasureRange;
    }

    if (const auto serial = IdentityText::serialNumberBytes(f.serialNumber)) {
        v.serialBytes = *serial;
    } else {
        reader.refuse(tr("Serial Num: the running number of \"%1\" does not fit the packet. "
                         "Nothing was sent.")
                          .arg(f.serialNumber));
    }
    v.versionBytes = IdentityText::versionBytes(f.version);
    return read;
}
