#pragma once

#include "python/CaptureFrames.h"
#include "python/FrameStream.h"

#include <thread>

// The frames of a capture, read ahead by a thread of their own.
class CaptureStream : public FrameStream {
public:
    // A few frames ahead: reading overlaps with Python's work on the last
    // frame, and memory stays within a few frames.
    static constexpr std::size_t kFramesAhead = 3;

    CaptureStream(std::shared_ptr<const ReadOnlyFile> file, const QString& path,
                  const FrameSelection& selection);
    ~CaptureStream() override;

private:
    void stopProducer() override;
    [[noreturn]] void raiseFailure(const std::string& text) override;

    CaptureFrames frames_;
    std::thread reader_;
};
