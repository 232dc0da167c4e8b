#pragma once

#include "lidar/ChannelGeometry.h"
#include "lidar/CsvExportFilter.h"
#include "lidar/CsvRowWriter.h"
#include "lidar/MuchLidarData.h"

#include <QString>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

// Writes one CSV file on a thread of its own. The caller (the GUI thread)
// opens the file, which fails at once with a reason, and then only queues
// frames as shared, immutable values; they are formatted and written in the
// order they were queued, one write and one flush per frame. A write error
// ends the writing: the rest of the queue is dropped, the file is closed and
// SendError says which file and why, once.
class CsvExportWriter : public QThread {
    Q_OBJECT
public:
    // Frames queued beyond this make write() wait for the writer, so a disk
    // slower than the data cannot fill the memory.
    static constexpr std::size_t kMaxQueuedFrames = 64;

    CsvExportWriter(const ChannelGeometry& geometry, CsvRowWriter::Layout layout,
                    QObject* parent = nullptr);
    // Writes what is queued and closes the file.
    ~CsvExportWriter() override;

    // Creates or replaces the file and writes the header.
    bool open(const QString& path);
    // Queues a frame; `frameNumber` is the first field of multi-frame rows.
    void write(std::shared_ptr<const MuchLidarData> frame, const CsvExportFilter& filter,
               int frameNumber = 0);
    // The writer closes the file once the queued frames are written.
    void closeWhenWritten();
    // Writes the queued frames, closes the file and waits for that. False if
    // a write or the close failed (error() says why).
    bool finish();

    const QString& path() const { return path_; }
    int framesWritten() const { return framesWritten_.load(); }
    std::uint64_t rowsWritten() const { return rowsWritten_.load(); }
    bool failed() const { return failed_.load(); }
    // Why opening, writing or closing failed; read after finish() or on
    // SendError.
    QString error() const;

signals:
    void SendError(QString message);

protected:
    void run() override;

private:
    struct Job {
        std::shared_ptr<const MuchLidarData> frame;
        CsvExportFilter filter;
        int frameNumber = 0;
    };

    bool put(const std::string& text);
    void fail(const QString& reason);
    void closeFile();

    CsvRowWriter rows_;
    QString path_;
    std::FILE* file_ = nullptr;
    std::string text_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> queue_;
    bool closing_ = false;
    QString error_;

    std::atomic<int> framesWritten_{0};
    std::atomic<std::uint64_t> rowsWritten_{0};
    std::atomic<bool> failed_{false};
};
