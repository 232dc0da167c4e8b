#pragma once

#include <QDateTime>
#include <QString>

// The file names proposed for CSV exports (and the view's other saved
// files), stamped with the local time.
namespace CsvFileNames {

// "Vantor_2026-12-07-14-05-09.csv"
QString singleFrame(const QDateTime& localTime);
// The same with another suffix: "Vantor_2026-12-07-14-05-09.png"
QString stamped(const QDateTime& localTime, const QString& suffix);
// "Vantor_2026-12-07-14-05_10Frame.csv"
QString multiFrame(const QDateTime& localTime, int frameCount);

} // namespace CsvFileNames
