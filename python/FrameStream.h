#pragma once

#include "python/FrameQueue.h"
#include "python/PythonFrame.h"

#include <cstddef>
#include <string>

// A Python iterator over frames that a thread of C++ queues. Python waits
// for the next frame without the GIL, looking for Ctrl-C meanwhile: a signal
// handler that raises (KeyboardInterrupt) ends the stream at once. The
// stream also ends at the end of the frames, on a failure, and by close();
// its producer is stopped then.
class FrameStream {
public:
    virtual ~FrameStream() = default;
    FrameStream(const FrameStream&) = delete;
    FrameStream& operator=(const FrameStream&) = delete;

    // The next frame; raises StopIteration at the end, the failure's
    // exception on a failure, and warns of a capture cut short after its
    // last frame. Needs the GIL.
    PythonFrame next();
    // Stops the producer and drops the queued frames. Needs the GIL, or an
    // interpreter that is finalizing.
    void close();
    int framesDelivered() const { return delivered_; }

protected:
    explicit FrameStream(std::size_t capacity) : queue_(capacity) {}

    // Stops the producer and waits for it (called without the GIL).
    virtual void stopProducer() = 0;
    // Raises the failure `text` as the stream's exception.
    [[noreturn]] virtual void raiseFailure(const std::string& text) = 0;
    // Called with the GIL while no frame is queued; may raise.
    virtual void whileWaiting() {}

    FrameQueue queue_;

private:
    bool closed_ = false;
    int delivered_ = 0;
};
