#pragma once

#include "lidar/ChannelGeometry.h"
#include "lidar/CsvExportFilter.h"
#include "lidar/CsvRowWriter.h"
#include "lidar/ExportFrameNumbers.h"
#include "lidar/MuchLidarData.h"
#include "lidar/PartFile.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

// A CSV export file being written: the header, then the rows of each frame
// handed in, until the wanted number of frames is reached. Frames are
// numbered as they are handed in (ExportFrameNumbers); the number is the
// first field of multi-frame rows, and the export is complete once the
// wanted frames have theirs. Where the frames come from is the caller's
// business.
//
// A named file is written under NAME.part (PartFile) and gets its name
// from close() once whole; standard output is written as it goes.
//
// The export tool writes each frame as it numbers it (writeFrame). The
// window numbers each frame on its own thread as it hands it over
// (numberFrame, complete) and a writer thread writes the rows later
// (writeRows); those two sides share no member but framesWritten.
class CsvExportFile {
public:
    CsvExportFile(const ChannelGeometry& geometry, CsvRowWriter::Layout layout, int frames,
                  const CsvExportFilter& filter = {});
    // A file still open is kept under its part name.
    ~CsvExportFile();
    CsvExportFile(const CsvExportFile&) = delete;
    CsvExportFile& operator=(const CsvExportFile&) = delete;

    // Creates or replaces the part file ("-" is standard output) and writes
    // the header.
    bool open(const QString& path);

    // The next frame's number, or 0 once the wanted frames are numbered.
    int numberFrame();
    bool complete() const { return numbers_.complete(); }
    // Writes the rows of a numbered frame that pass `filter` and flushes them.
    bool writeRows(const MuchLidarData& frame, const CsvExportFilter& filter, int number);
    // Numbers the frame and writes its rows through the file's filter.
    // Frames beyond the wanted number are ignored.
    bool writeFrame(const MuchLidarData& frame);
    // Closes the file and gives it its name, with the frames written so
    // far. After a failed write the file is not whole: it is removed, and
    // the result is false.
    bool close();
    // Closes the file and leaves it under its part name: an export stopped
    // before it had its frames.
    bool keep();
    // Closes and removes the file.
    void discard();
    bool isOpen() const { return toStandardOutput_ || (part_ && part_->isOpen()); }

    int framesNumbered() const { return numbers_.numbered(); }
    int framesWritten() const { return framesWritten_.load(); }
    int framesWanted() const { return numbers_.wanted(); }
    std::size_t rowsWritten() const { return rowsWritten_; }
    const QString& path() const { return path_; }
    // Where the rows are until close(): NAME.part, or "-".
    QString partPath() const { return part_ ? part_->partPath() : path_; }
    std::uint64_t bytesWritten() const { return bytesWritten_; }
    // What went wrong with the last failed call: the file and the reason.
    const QString& error() const { return error_; }

private:
    bool put(const std::string& text);
    void failOnStandardOutput();

    CsvRowWriter writer_;
    CsvExportFilter filter_;
    ExportFrameNumbers numbers_;
    QString path_;
    std::unique_ptr<PartFile> part_;
    bool toStandardOutput_ = false;
    bool writeFailed_ = false;
    std::string text_;
    std::atomic<int> framesWritten_{0};
    std::size_t rowsWritten_ = 0;
    std::uint64_t bytesWritten_ = 0;
    QString error_;
};
