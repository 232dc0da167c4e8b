#include "lidar/CsvExportFile.h"

#include <cerrno>
#include <cstdio>

CsvExportFile::CsvExportFile(const ChannelGeometry& geometry, CsvRowWriter::Layout layout,
                             int frames, const CsvExportFilter& filter)
    : writer_(geometry, layout), filter_(filter), numbers_(frames) {}

CsvExportFile::~CsvExportFile() {
    keep();
}

bool CsvExportFile::open(const QString& path) {
    keep();
    path_ = path;
    writeFailed_ = false;
    toStandardOutput_ = path == "-";
    if (!toStandardOutput_) {
        part_ = std::make_unique<PartFile>(path);
        if (!part_->open()) {
            error_ = part_->error();
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
    if (!isOpen() || writeFailed_) {
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
    if (!isOpen()) {
        return false;
    }
    const int number = numberFrame();
    return number == 0 || writeRows(frame, filter_, number);
}

bool CsvExportFile::put(const std::string& text) {
    // One write and one flush per frame: a reader of the file sees whole
    // frames, and a full disk shows up with the frame it hit.
    if (toStandardOutput_) {
        if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
            std::fflush(stdout) != 0) {
            failOnStandardOutput();
            return false;
        }
    } else if (!part_->write(text.data(), text.size()) || !part_->flush()) {
        error_ = part_->error();
        writeFailed_ = true;
        return false;
    }
    bytesWritten_ += text.size();
    return true;
}

bool CsvExportFile::close() {
    if (toStandardOutput_) {
        toStandardOutput_ = false;
        return !writeFailed_;
    }
    if (!part_ || !part_->isOpen()) {
        return !writeFailed_;
    }
    if (writeFailed_) {
        part_->discard();
        return false;
    }
    if (!part_->commit()) {
        error_ = part_->error();
        return false;
    }
    return true;
}

bool CsvExportFile::keep() {
    toStandardOutput_ = false;
    if (!part_ || !part_->isOpen()) {
        return true;
    }
    if (!part_->keep()) {
        error_ = part_->error();
        return false;
    }
    return true;
}

void CsvExportFile::discard() {
    toStandardOutput_ = false;
    if (part_) {
        part_->discard();
    }
}

void CsvExportFile::failOnStandardOutput() {
    error_ = QStringLiteral("standard output: %1").arg(qt_error_string(errno));
    writeFailed_ = true;
}
