#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// Looks for one of the sensor's device-information frames on a capture
// adapter, on a thread of its own, so the window keeps responding. The
// result comes back on the thread of `context` through its event loop,
// ahead of the events queued there.
class InfoFrameSearch {
public:
    using Clock = std::chrono::steady_clock;

    struct Outcome {
        // The whole captured Ethernet frame; nothing when none was found.
        std::optional<std::vector<std::uint8_t>> frame;
        // Why the search could not run or broke off (no permission, adapter
        // gone, no capture filter); empty when it ran to its end, whether or
        // not it found a frame.
        QString captureError;
    };
    using Done = std::function<void(const Outcome&)>;

    explicit InfoFrameSearch(QObject* context);
    ~InfoFrameSearch(); // cancels a running search and waits for it
    InfoFrameSearch(const InfoFrameSearch&) = delete;
    InfoFrameSearch& operator=(const InfoFrameSearch&) = delete;

    bool running() const { return running_; }

    // Opens `adapter` and examines at most `limit` frames from
    // `senderAddress` (dotted; any sender when empty) until `deadline`,
    // opening included; `done` runs on the context's thread once it has
    // ended. False when a search is still running.
    bool start(const std::string& adapter, const std::string& senderAddress, int limit,
               Clock::time_point deadline, Done done);

private:
    void join();

    std::unique_ptr<QObject> courier_; // delivers `done` on the context's thread
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    bool running_ = false;
};
