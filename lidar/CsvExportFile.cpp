#include "lidar/CsvExportFile.h"

#include <QFile>
#include <cerrno>

CsvExportFile::CsvExportFile(const ChannelGeometry& geometry, CsvRowWriter::Layout layout,
                             int frames, const CsvExportFilter& filter)
    : writer_(geometry, layout), filter_(filter), numbers_(frames) {}

CsvExportFile::~CsvExportFile() {
    close();
}

bool CsvExportFile::open(const QString& path) {
    close();
    path_ = path;
    if (path == "-") {
        file_ = stdout;
        ownsFile_ = false;
    } else {
        // File names are handed to the C library in the local 8-bit encoding.
        file_ = std::fopen(QFile::encodeName(path).constData(), "wb");
        ownsFile_ = true;
        if (file_ == nullptr) {
            fail();
            return false;
        }
    }
    text_.clear();
    writer_.appendHeader(text_);
    return put(text_);
}

int CsvExportFile::numberFrame() {
    return numbers_.next();
}

bool CsvExportFile::writeRows(const MuchLidarData& frame, const CsvExportFilter& filter,
                              int number) {
    if (file_ == nullptr) {
        return false;
    }
    text_.clear();
    rowsWritten_ += writer_.appendFrame(text_, frame, filter, number);
    if (!put(text_)) {
        return false;
    }
    ++framesWritten_;
    return true;
}

bool CsvExportFile::writeFrame(const MuchLidarData& frame) {
    if (file_ == nullptr) {
        return false;
    }
    const int number = numberFrame();
    return number == 0 || writeRows(frame, filter_, number);
}

bool CsvExportFile::put(const std::string& text) {
    // One write and one flush per frame: a reader of the file sees whole
    // frames, and a full disk shows up with the frame it hit.
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() || std::fflush(file_) != 0) {
        fail();
        return false;
    }
    bytesWritten_ += text.size();
    return true;
}

bool CsvExportFile::close() {
    if (file_ == nullptr) {
        return true;
    }
    const bool closed = !ownsFile_ || std::fclose(file_) == 0;
    file_ = nullptr;
    if (!closed) {
        fail();
    }
    return closed;
}

void CsvExportFile::fail() {
    const int reason = errno;
    error_ = QStringLiteral("%1: %2").arg(path_ == "-" ? QStringLiteral("standard output") : path_,
                                          qt_error_string(reason));
}
