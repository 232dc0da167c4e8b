#include "python/CaptureStream.h"

#include "python/PythonErrors.h"

#include <exception>

CaptureStream::CaptureStream(std::shared_ptr<const ReadOnlyFile> file, const QString& path,
                             const FrameSelection& selection)
    : FrameStream(kFramesAhead), frames_(std::move(file), path, selection, queue_) {
    reader_ = std::thread([this] {
        try {
            frames_.run();
        } catch (const std::exception& e) {
            queue_.finish(e.what());
        }
    });
}

CaptureStream::~CaptureStream() {
    close();
}

void CaptureStream::stopProducer() {
    queue_.close();
    if (reader_.joinable()) {
        reader_.join();
    }
}

void CaptureStream::raiseFailure(const std::string& text) {
    PythonErrors::raiseCaptureError(text);
}
