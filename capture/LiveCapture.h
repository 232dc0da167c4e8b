#pragma once

#include "capture/CaptureAdapter.h"

#include <QString>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct pcap;
typedef struct pcap pcap_t;

// A live capture on one adapter, closed when the object goes. Reads wait
// at most a bounded time, so a caller can look at a stop request even when
// no traffic arrives.
class LiveCapture {
public:
    // Every adapter the capture library lists, with link type, flags and
    // IPv4 addresses. Empty with a text for the user when listing fails.
    static std::vector<CaptureAdapter> listAdapters(QString* errorText);

    // Opens `adapter` (snapshot length 65535, promiscuous) with a read
    // time-out of `readTimeout` (positive; at most 100 ms is what callers
    // want). Null with a text for the user on failure; missing capture
    // permission gets permissionHelp().
    static std::unique_ptr<LiveCapture>
    open(const std::string& adapter, std::chrono::milliseconds readTimeout, QString* errorText);

    // What to tell a user who may not capture: root or the CAP_NET_RAW
    // capability, with the setcap command for this program's binary.
    static QString permissionHelp();

    ~LiveCapture();
    LiveCapture(const LiveCapture&) = delete;
    LiveCapture& operator=(const LiveCapture&) = delete;

    // Compiles (without optimisation) and installs a capture filter such as
    // "port 2368". False with a text for the user when it does not compile.
    bool setFilter(const std::string& expression, QString* errorText);

    enum class ReadResult { Frame, Timeout, Error };
    struct Frame {
        const std::uint8_t* data = nullptr; // valid until the next read
        std::size_t length = 0;             // bytes captured
        const void* header = nullptr;       // the capture library's record header
    };
    // Waits for the next frame at most the read time-out, also when no
    // traffic arrives at all. Error comes with a text for the user.
    ReadResult next(Frame& frame, QString* errorText = nullptr);
    // A frame already captured, without waiting: Timeout when none is.
    ReadResult nextPending(Frame& frame, QString* errorText = nullptr);

    int linkType() const;
    pcap_t* handle() const { return handle_; }

private:
    explicit LiveCapture(pcap_t* handle) : handle_(handle) {}
    ReadResult read(Frame& frame, QString* errorText, bool wait);
    pcap_t* handle_;
    int readTimeoutMs_ = 100;
    int pollDescriptor_ = -1; // waited on with the read time-out; -1: blocking reads
};
