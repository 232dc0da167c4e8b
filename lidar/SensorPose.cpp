#include "lidar/SensorPose.h"

#include <QStringList>
#include <cmath>

std::optional<double> SensorPose::parseField(Field field, const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    const double limit = field <= Z ? kMaxMetres : kMaxDegrees;
    if (!ok || !std::isfinite(value) || std::abs(value) > limit) {
        return std::nullopt;
    }
    // -0 reads as 0: a pose typed as "-0" is still the sensor's own.
    return value == 0 ? 0.0 : value;
}

QString SensorPose::fieldText(double value) {
    const QString shorter = QString::number(value, 'g', 15);
    return shorter.toDouble() == value ? shorter : QString::number(value, 'g', 17);
}

QString SensorPose::text() const {
    QStringList parts;
    for (const double v : values) {
        parts << fieldText(v);
    }
    return parts.join(QLatin1Char(' '));
}

std::optional<SensorPose> SensorPose::parse(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != kFields) {
        return std::nullopt;
    }
    SensorPose pose;
    for (int f = 0; f < kFields; ++f) {
        const std::optional<double> v = parseField(static_cast<Field>(f), parts[f]);
        if (!v) {
            return std::nullopt;
        }
        pose.values[static_cast<std::size_t>(f)] = *v;
    }
    return pose;
}
