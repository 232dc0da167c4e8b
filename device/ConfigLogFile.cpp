#include "device/ConfigLogFile.h"

#include <QDir>

QString ConfigLogFile::fileName(const QString& tag, const QString& kind, const QDateTime& now) {
    return tag + QStringLiteral("__") + now.toString(QStringLiteral("yyyy-MM-dd-hh-mm-ss-zzz")) +
           QStringLiteral("__") + kind + QStringLiteral(".ini");
}

bool ConfigLogFile::open(const QString& directory, const QString& tag, const QString& kind,
                         const QDateTime& now) {
    file_.close();
    const QString folder =
        directory + tag + QLatin1Char('/') + now.toString(QStringLiteral("yyyy-MM-dd"));
    file_.setFileName(folder + QLatin1Char('/') + fileName(tag, kind, now));
    if (!QDir().mkpath(folder)) {
        return false;
    }
    return file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
}

QString ConfigLogFile::hexDump(const std::uint8_t* bytes, std::size_t size) {
    constexpr std::size_t kFirstLine = 6;
    constexpr std::size_t kPerLine = 16;
    QString text;
    text.reserve(static_cast<int>(size * 3 + size / kPerLine + 2));
    for (std::size_t i = 0; i < size; ++i) {
        text += QStringLiteral("%1 ").arg(bytes[i], 2, 16, QLatin1Char('0'));
        if (i + 1 == kFirstLine || (i >= kFirstLine && (i + 1 - kFirstLine) % kPerLine == 0)) {
            text += QLatin1Char('\n');
        }
    }
    return text;
}

bool ConfigLogFile::writePacket(const std::uint8_t* bytes, std::size_t size) {
    if (!file_.isOpen()) {
        return false;
    }
    const QByteArray text = hexDump(bytes, size).toLatin1();
    const bool written = file_.write(text) == text.size();
    file_.close();
    return written && file_.error() == QFileDevice::NoError;
}
