#pragma once

#include "lidar/ChannelGeometry.h"
#include "lidar/CsvExportFilter.h"
#include "lidar/CsvRowWriter.h"
#include "lidar/MuchLidarData.h"

#include <QString>
#include <cstdint>
#include <cstdio>
#include <string>

// A multi-frame CSV file being written: the header, then the rows of each
// frame handed in, numbered from 1, until the wanted number of frames is
// reached. Where the frames come from is the caller's business.
class CsvExportFile {
public:
    CsvExportFile(const CsvExportFilter& filter, int frames);
    ~CsvExportFile();
    CsvExportFile(const CsvExportFile&) = delete;
    CsvExportFile& operator=(const CsvExportFile&) = delete;

    // Creates or replaces the file ("-" is standard output) and writes the
    // header.
    bool open(const QString& path);
    // Writes one frame's rows and flushes them. Frames beyond the wanted
    // number are ignored.
    bool writeFrame(const MuchLidarData& frame);
    bool close();

    bool complete() const { return framesWritten_ >= frames_; }
    int framesWritten() const { return framesWritten_; }
    int framesWanted() const { return frames_; }
    std::size_t rowsWritten() const { return rowsWritten_; }
    std::uint64_t bytesWritten() const { return bytesWritten_; }
    // What went wrong with the last failed call.
    const QString& error() const { return error_; }

private:
    bool put(const std::string& text);

    ChannelGeometry geometry_;
    CsvRowWriter writer_;
    CsvExportFilter filter_;
    int frames_;
    QString path_;
    std::FILE* file_ = nullptr;
    bool ownsFile_ = false;
    std::string text_;
    int framesWritten_ = 0;
    std::size_t rowsWritten_ = 0;
    std::uint64_t bytesWritten_ = 0;
    QString error_;
};
