#include "tools/export/CsvExportFile.h"

#include <QFile>
#include <cerrno>

CsvExportFile::CsvExportFile(const CsvExportFilter& filter, int frames)
    : writer_(geometry_, CsvRowWriter::Layout::MultiFrame), filter_(filter), frames_(frames) {}

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
        file_ = std::fopen(QFile::encodeName(path).constData(), "wb");
        ownsFile_ = true;
        if (file_ == nullptr) {
            error_ = QStringLiteral("cannot write %1: %2").arg(path, qt_error_string(errno));
            return false;
        }
    }
    text_.clear();
    writer_.appendHeader(text_);
    return put(text_);
}

bool CsvExportFile::put(const std::string& text) {
    // One write and one flush per frame: a reader of the file sees whole
    // frames, and a failing disk shows up at once.
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() || std::fflush(file_) != 0) {
        error_ = QStringLiteral("cannot write %1: %2")
                     .arg(path_ == "-" ? QStringLiteral("standard output") : path_,
                          qt_error_string(errno));
        return false;
    }
    bytesWritten_ += text.size();
    return true;
}

bool CsvExportFile::writeFrame(const MuchLidarData& frame) {
    if (file_ == nullptr || complete()) {
        return file_ != nullptr;
    }
    text_.clear();
    rowsWritten_ += writer_.appendFrame(text_, frame, filter_, framesWritten_ + 1);
    ++framesWritten_;
    return put(text_);
}

bool CsvExportFile::close() {
    if (file_ == nullptr) {
        return true;
    }
    bool ok = true;
    if (ownsFile_ && std::fclose(file_) != 0) {
        error_ = QStringLiteral("cannot write %1: %2").arg(path_, qt_error_string(errno));
        ok = false;
    }
    file_ = nullptr;
    return ok;
}
