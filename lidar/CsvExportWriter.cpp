#include "lidar/CsvExportWriter.h"

#include <QFile>
#include <cerrno>

CsvExportWriter::CsvExportWriter(const ChannelGeometry& geometry, CsvRowWriter::Layout layout,
                                 QObject* parent)
    : QThread(parent), rows_(geometry, layout) {}

CsvExportWriter::~CsvExportWriter() {
    finish();
}

bool CsvExportWriter::open(const QString& path) {
    path_ = path;
    // File names are handed to the C library in the local 8-bit encoding.
    file_ = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (file_ == nullptr) {
        fail(qt_error_string(errno));
        return false;
    }
    text_.clear();
    rows_.appendHeader(text_);
    if (!put(text_)) {
        closeFile();
        return false;
    }
    start();
    return true;
}

void CsvExportWriter::write(std::shared_ptr<const MuchLidarData> frame,
                            const CsvExportFilter& filter, int frameNumber) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return queue_.size() < kMaxQueuedFrames || failed_.load(); });
    if (failed_.load() || closing_) {
        return;
    }
    queue_.push_back(Job{std::move(frame), filter, frameNumber});
    changed_.notify_all();
}

void CsvExportWriter::closeWhenWritten() {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
    changed_.notify_all();
}

bool CsvExportWriter::finish() {
    closeWhenWritten();
    wait();
    // A writer that never started (opening failed) leaves nothing open.
    closeFile();
    return !failed_.load();
}

QString CsvExportWriter::error() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return error_;
}

void CsvExportWriter::run() {
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return !queue_.empty() || closing_; });
            if (queue_.empty()) {
                break;
            }
            job = std::move(queue_.front());
            queue_.pop_front();
            changed_.notify_all();
        }
        text_.clear();
        const std::size_t rows = rows_.appendFrame(text_, *job.frame, job.filter, job.frameNumber);
        if (!put(text_)) {
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.clear();
            changed_.notify_all();
            break;
        }
        rowsWritten_ += rows;
        ++framesWritten_;
    }
    closeFile();
    if (failed_.load()) {
        emit SendError(error());
    }
}

bool CsvExportWriter::put(const std::string& text) {
    // One write and one flush per frame: a reader of the file sees whole
    // frames, and a full disk shows up with the frame it hit.
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() || std::fflush(file_) != 0) {
        fail(qt_error_string(errno));
        return false;
    }
    return true;
}

void CsvExportWriter::fail(const QString& reason) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!failed_.load()) {
        error_ = QStringLiteral("%1: %2").arg(path_, reason);
        failed_ = true;
    }
    changed_.notify_all();
}

void CsvExportWriter::closeFile() {
    if (file_ == nullptr) {
        return;
    }
    if (std::fclose(file_) != 0) {
        fail(qt_error_string(errno));
    }
    file_ = nullptr;
}
