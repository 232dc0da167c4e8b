#include "advanced/ChannelValidator.h"

#include "advanced/AdvancedFields.h"

#include <QRegularExpression>

ChannelValidator::ChannelValidator(int decimals, long long min, long long max, QObject* parent)
    : QValidator(parent), decimals_(decimals), min_(min), max_(max) {}

QValidator::State ChannelValidator::validate(QString& input, int&) const {
    static const QRegularExpression typing(QStringLiteral("^-?[0-9]*\\.?[0-9]*$"));
    if (input.isEmpty() || input == QLatin1String("\t")) {
        return Acceptable;
    }
    if (!typing.match(input).hasMatch()) {
        return Invalid;
    }
    const std::optional<long long> value = scaledDecimal(input, decimals_);
    return value && *value >= min_ && *value <= max_ ? Acceptable : Intermediate;
}
