#pragma once

#include <QByteArray>
#include <QString>
#include <QThread>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

// Records the live traffic of one adapter that passes a capture filter into
// a new pcap file: every frame is appended and flushed as it comes, so the
// file holds everything recorded so far whenever recording ends. Reads wait
// at most kReadTimeout, so a stop request ends the thread within two read
// time-outs even when no traffic arrives; frames the kernel had already
// captured by then are still written.
class CaptureRecorder : public QThread {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kReadTimeout{100};

    explicit CaptureRecorder(QObject* parent = nullptr);
    // Stops a recording that still runs and waits for it.
    ~CaptureRecorder() override;

    // Written by the GUI thread before start(), unchanged while it runs.
    std::string adapter;
    std::string captureFilter; // e.g. "port 2368"
    QByteArray recordPath;     // in the local 8-bit encoding

    // Set by the GUI thread; the worker ends within two read time-outs.
    std::atomic<bool> stop{false};

    // Figures of the running or last recording.
    std::uint64_t packetsWritten() const { return packetsWritten_.load(); }
    // The size of the file written so far, headers included.
    std::uint64_t bytesWritten() const { return bytesWritten_.load(); }
    // Frames the kernel dropped because the capture buffer was full; -1
    // while unknown.
    std::int64_t kernelDrops() const { return kernelDrops_.load(); }
    // The file was created (it stays, possibly without records, once the
    // recording ends).
    bool fileCreated() const { return fileCreated_.load(); }

signals:
    void SendError(QString str);

protected:
    void run() override;

private:
    std::atomic<std::uint64_t> packetsWritten_{0};
    std::atomic<std::uint64_t> bytesWritten_{0};
    std::atomic<std::int64_t> kernelDrops_{-1};
    std::atomic<bool> fileCreated_{false};
};
