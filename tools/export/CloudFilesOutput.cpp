#include "tools/export/CloudFilesOutput.h"

#include <QDir>
#include <QFileInfo>

CloudFilesOutput::CloudFilesOutput(FrameCloudFile::Format format, const CsvExportFilter& filter,
                                   int frames, const QString& software)
    : format_(format), filter_(filter), numbers_(frames), software_(software) {}

QString CloudFilesOutput::fileName(const QString& output, FrameCloudFile::Format format,
                                   int number) {
    const QString suffix = FrameCloudFile::suffixOf(format);
    QString stem = output;
    if (QFileInfo(output).suffix().compare(suffix, Qt::CaseInsensitive) == 0) {
        stem.chop(suffix.size() + 1);
    }
    return QStringLiteral("%1_%2.%3").arg(stem).arg(number, 6, 10, QLatin1Char('0')).arg(suffix);
}

bool CloudFilesOutput::open(const QString& output) {
    output_ = output;
    const QFileInfo folder(QFileInfo(output).absolutePath());
    if (!folder.isDir() || !folder.isWritable()) {
        error_ = QStringLiteral("%1: %2").arg(
            QDir::toNativeSeparators(folder.filePath()),
            folder.isDir() ? QStringLiteral("the folder cannot be written into")
                           : QStringLiteral("there is no such folder"));
        return false;
    }
    return true;
}

bool CloudFilesOutput::writeFrame(const MuchLidarData& frame, std::int64_t time) {
    const int number = numbers_.next();
    if (number == 0) {
        return true;
    }
    const FramePointCloud points = FrameCloudFile::pointsOf(frame, geometry_, filter_);
    if (points.empty()) {
        ++framesWithoutFile_;
        ++framesWritten_;
        return true;
    }
    const QString error =
        FrameCloudFile::write(points, fileName(output_, format_, number), format_, software_, time);
    if (!error.isEmpty()) {
        error_ = error;
        return false;
    }
    firstFile_ = firstFile_ == 0 ? number : firstFile_;
    lastFile_ = number;
    ++framesWritten_;
    pointsWritten_ += points.size();
    return true;
}

QString CloudFilesOutput::writtenTo() const {
    QString files = firstFile_ == 0           ? QStringLiteral("no file")
                    : firstFile_ == lastFile_ ? fileName(output_, format_, firstFile_)
                                              : QStringLiteral("%1 ... %2")
                                                    .arg(fileName(output_, format_, firstFile_),
                                                         fileName(output_, format_, lastFile_));
    if (framesWithoutFile_ > 0) {
        files += framesWithoutFile_ == 1
                     ? QStringLiteral(" (1 frame had no point to write and no file)")
                     : QStringLiteral(" (%1 frames had no point to write and no file)")
                           .arg(framesWithoutFile_);
    }
    return files;
}
