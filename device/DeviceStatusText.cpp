#include "device/DeviceStatusText.h"

#include <QDate>
#include <QStringList>

namespace DeviceStatusText {

namespace {

constexpr int kHoursAheadOfUtc = 8;

// The sensor pads missing GPS text with NUL bytes; they are not shown.
QString gpsText(const char* characters, int count, char hemisphere) {
    QString text = QString::fromLatin1(characters, count) + QLatin1Char(hemisphere);
    text.remove(QChar(u'\0'));
    return text;
}

} // namespace

QString deviceTime(const SettingData& record) {
    int year = 2000 + record.timeYear;
    int month = record.timeMonth;
    int day = record.timeDay;
    int hour = record.timeHour + kHoursAheadOfUtc;
    for (; hour >= 24; hour -= 24) {
        ++day;
        // A month the sensor cannot have meant is left alone.
        if (month < 1 || month > 12 || day <= QDate(year, month, 1).daysInMonth()) {
            continue;
        }
        day = 1;
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
    const int millis = record.timeMillis[0] << 8 | record.timeMillis[1];
    const int micros = record.timeMicros[0] << 8 | record.timeMicros[1];
    return QStringLiteral("%1/%2/%3 %4:%5:%6:%7:%8")
        .arg(year)
        .arg(month)
        .arg(day)
        .arg(hour)
        .arg(record.timeMinute)
        .arg(record.timeSecond)
        .arg(millis)
        .arg(micros);
}

QString latitude(const SettingData& record) {
    return gpsText(record.latitude + 1, 9, record.latitudeHemisphere);
}

QString longitude(const SettingData& record) {
    return gpsText(record.longitude, 10, record.longitudeHemisphere);
}

QString mac(const std::vector<int>& ports) {
    QStringList bytes;
    for (std::size_t i = 0; i < 6 && i < ports.size(); ++i) {
        bytes << QStringLiteral("%1").arg(ports[i] & 0xFF, 2, 16, QLatin1Char('0'));
    }
    return bytes.join(QLatin1Char('-'));
}

} // namespace DeviceStatusText
