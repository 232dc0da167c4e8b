#include "lidar/CsvExportWriter.h"

CsvExportWriter::CsvExportWriter(const ChannelGeometry& geometry, CsvRowWriter::Layout layout,
                                 int frames, QObject* parent)
    : QThread(parent), file_(geometry, layout, frames) {}

CsvExportWriter::~CsvExportWriter() {
    finish();
}

bool CsvExportWriter::open(const QString& path) {
    if (!file_.open(path)) {
        fail();
        file_.discard();
        return false;
    }
    start();
    return true;
}

void CsvExportWriter::write(std::shared_ptr<const MuchLidarData> frame,
                            const CsvExportFilter& filter) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return queue_.size() < kMaxQueuedFrames || failed_.load(); });
    if (failed_.load() || closing_) {
        return;
    }
    const int number = file_.numberFrame();
    if (number == 0) {
        return;
    }
    queue_.push_back(Job{std::move(frame), filter, number});
    changed_.notify_all();
}

void CsvExportWriter::closeWhenWritten() {
    closeWhenWritten(true);
}

void CsvExportWriter::closeWhenWritten(bool nameFile) {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
    nameFile_ = nameFile_ || nameFile;
    changed_.notify_all();
}

bool CsvExportWriter::finish() {
    closeWhenWritten(file_.complete());
    wait();
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
        if (!file_.writeRows(*job.frame, job.filter, job.number)) {
            fail();
            std::lock_guard<std::mutex> lock(mutex_);
            queue_.clear();
            changed_.notify_all();
            break;
        }
    }
    bool nameFile = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        nameFile = nameFile_;
    }
    closeFile(nameFile);
    if (failed_.load()) {
        emit SendError(error());
    }
}

void CsvExportWriter::closeFile(bool nameFile) {
    // A file without a frame is of no use, whatever ended it.
    if (file_.framesWritten() == 0 && !failed_.load()) {
        file_.discard();
        return;
    }
    // After a failed write close() removes the file rather than name it.
    if (!(nameFile || failed_.load() ? file_.close() : file_.keep())) {
        fail();
    }
}

void CsvExportWriter::fail() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!failed_.load()) {
        error_ = file_.error();
        failed_ = true;
    }
    changed_.notify_all();
}
