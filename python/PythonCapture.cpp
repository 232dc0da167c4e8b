#include "python/PythonCapture.h"

#include "python/Interruptible.h"
#include "python/PythonErrors.h"

#include <QDir>

PythonCapture::PythonCapture(const std::string& path)
    : path_(path), qPath_(QString::fromStdString(path)), file_(std::make_shared<ReadOnlyFile>()) {
    QString error;
    if (!file_->open(qPath_, &error)) {
        PythonErrors::raiseCaptureError(
            QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(qPath_), error).toStdString());
    }
    runInterruptibly([&](const std::atomic<bool>& cancel) {
        error = CaptureFrames::open(*file_, qPath_, cancel);
    });
    if (!error.isEmpty()) {
        PythonErrors::raiseCaptureError(error.toStdString());
    }
}

const CaptureFrames::Census& PythonCapture::census() {
    if (!census_) {
        CaptureFrames::Census counted;
        runInterruptibly([&](const std::atomic<bool>& cancel) {
            counted = CaptureFrames::census(*file_, qPath_, cancel);
        });
        if (!counted.error.isEmpty()) {
            PythonErrors::raiseCaptureError(counted.error.toStdString());
        }
        census_ = std::move(counted);
    }
    return *census_;
}

int PythonCapture::frameCount() {
    std::uint64_t frames = 0;
    for (const SensorCounts& sensor : census().sensors) {
        frames += sensor.frames;
    }
    return static_cast<int>(frames);
}

std::unique_ptr<CaptureStream> PythonCapture::frames(const FrameSelection& selection) const {
    return std::make_unique<CaptureStream>(file_, qPath_, selection);
}
