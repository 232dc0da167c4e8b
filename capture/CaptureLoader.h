#pragma once

#include "capture/CaptureFile.h"

#include <QString>
#include <QThread>
#include <atomic>
#include <memory>

// Opens and indexes a capture file on a thread of its own, so that the
// window stays responsive while a large file loads and a close can cancel
// it.
class CaptureLoader : public QThread {
    Q_OBJECT
public:
    explicit CaptureLoader(QObject* parent = nullptr);
    // Cancels a running load and waits for it.
    ~CaptureLoader() override;

    // Starts opening `path`; the previous result is dropped. Call while no
    // load runs.
    void load(const QString& path);
    // Ends a running load before its next packet record: it finishes
    // without a capture. Callable from any thread.
    void cancel() { cancel_ = true; }
    bool cancelled() const { return cancel_; }

    // Once the load has finished: the capture, or null and the reason.
    const std::shared_ptr<const CaptureFile>& capture() const { return capture_; }
    const QString& errorText() const { return errorText_; }

signals:
    // Bytes indexed so far and the file size; a few hundred times per load.
    void SendProgress(quint64 done, quint64 total);

protected:
    void run() override;

private:
    QString path_;
    std::atomic<bool> cancel_{false};
    std::shared_ptr<const CaptureFile> capture_;
    QString errorText_;
};
