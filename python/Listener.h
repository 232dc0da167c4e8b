#pragma once

#include "python/FrameStream.h"
#include "python/LiveFrames.h"

#include <chrono>
#include <optional>
#include <string>

// Live frames from the data port.
class Listener : public FrameStream {
public:
    // Frames waiting for Python beyond this make the receiver wait.
    static constexpr std::size_t kFramesQueued = 8;

    // `timeout`: seconds without a complete frame after which the stream
    // ends with vantor.Timeout.
    Listener(int port, const std::string& group, std::optional<double> timeout,
             const FrameSelection& selection);
    ~Listener() override;

    // Starts the receiver and waits until it has bound the port; raises
    // vantor.ReceiveError with the receiver's text when it cannot.
    void start();
    int port() const { return port_; }
    std::int64_t kernelDrops() const { return live_.kernelDrops(); }

private:
    void stopProducer() override;
    [[noreturn]] void raiseFailure(const std::string& text) override;
    void whileWaiting() override;

    LiveFrames live_;
    int port_;
    std::optional<double> timeout_;
    int wanted_;
};
