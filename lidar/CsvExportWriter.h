#pragma once

#include "lidar/ChannelGeometry.h"
#include "lidar/CsvExportFile.h"
#include "lidar/CsvExportFilter.h"
#include "lidar/CsvRowWriter.h"
#include "lidar/MuchLidarData.h"

#include <QString>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

// Writes one CSV export file on a thread of its own. The caller (the GUI
// thread) opens the file, which fails at once with a reason, and then only
// queues frames as shared, immutable values; each is numbered as it is
// queued, and they are formatted and written in that order, one write and
// one flush per frame. A write error ends the writing: the rest of the queue
// is dropped, the file is removed and SendError says which file and why,
// once. The file is written under NAME.part (CsvExportFile) and named when
// it is closed with its frames; an export finished before its last frame
// leaves NAME.part, and one without a frame leaves nothing.
class CsvExportWriter : public QThread {
    Q_OBJECT
public:
    // Frames queued beyond this make write() wait for the writer, so a disk
    // slower than the data cannot fill the memory.
    static constexpr std::size_t kMaxQueuedFrames = 64;

    // An export of `frames` frames.
    CsvExportWriter(const ChannelGeometry& geometry, CsvRowWriter::Layout layout, int frames,
                    QObject* parent = nullptr);
    // Writes what is queued and closes the file.
    ~CsvExportWriter() override;

    // Creates or replaces the file and writes the header.
    bool open(const QString& path);
    // Numbers and queues a frame; frames beyond the wanted number are
    // ignored.
    void write(std::shared_ptr<const MuchLidarData> frame, const CsvExportFilter& filter);
    // The writer closes the file once the queued frames are written and
    // gives it its name, with fewer frames than wanted too.
    void closeWhenWritten();
    // Writes the queued frames, closes the file and waits for that. The
    // file gets its name if every wanted frame was queued (or
    // closeWhenWritten() was called), else it stays NAME.part. False if a
    // write or the close failed (error() says why).
    bool finish();

    // Every wanted frame has been queued (on the caller's thread).
    bool complete() const { return file_.complete(); }
    int framesQueued() const { return file_.framesNumbered(); }
    int framesWanted() const { return file_.framesWanted(); }
    int framesWritten() const { return file_.framesWritten(); }
    // Read once the writer's thread has ended.
    const QString& path() const { return file_.path(); }
    QString partPath() const { return file_.partPath(); }
    std::uint64_t rowsWritten() const { return file_.rowsWritten(); }
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
        int number = 0;
    };

    void closeWhenWritten(bool nameFile);
    void closeFile(bool nameFile);
    void fail();

    CsvExportFile file_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> queue_;
    bool closing_ = false;
    bool nameFile_ = false;
    QString error_;

    std::atomic<bool> failed_{false};
};
