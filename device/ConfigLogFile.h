#pragma once

#include <QDateTime>
#include <QFile>
#include <QString>
#include <cstddef>
#include <cstdint>

// A hex-dump log of one packet of a set-up, kept under
// <directory><tag>/<yyyy-MM-dd>/<tag>__<date-time>__<kind>.ini.
// Logging never stops a set-up: a folder or file that cannot be made only
// makes open() and writePacket() return false.
class ConfigLogFile {
public:
    // Closes any open file and opens (appending) the file of `kind` stamped
    // with `now`, creating the folders it needs.
    bool open(const QString& directory, const QString& tag, const QString& kind,
              const QDateTime& now = QDateTime::currentDateTime());

    // Writes the packet as two-digit lower-case hex numbers, each followed by
    // a blank: bytes 0..5 on the first line, then sixteen per line; then
    // closes the file.
    bool writePacket(const std::uint8_t* bytes, std::size_t size);

    // The path of the file last opened, or empty.
    QString path() const { return file_.fileName(); }

    static QString fileName(const QString& tag, const QString& kind, const QDateTime& now);
    static QString hexDump(const std::uint8_t* bytes, std::size_t size);

private:
    QFile file_;
};
