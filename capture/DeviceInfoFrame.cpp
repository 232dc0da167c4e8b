#include "capture/DeviceInfoFrame.h"

namespace DeviceInfoFrame {

std::string captureFilter(const std::string& senderAddress) {
    std::string filter = kCaptureFilter;
    if (!senderAddress.empty()) {
        filter += " and ip src host " + senderAddress;
    }
    return filter;
}

bool isDeviceInfoFrame(const std::uint8_t* frame, std::size_t length) {
    static constexpr std::uint8_t kStart[] = {0xA5, 0xFF, 0x00, 0x5A};
    if (frame == nullptr || length != kFrameSize) {
        return false;
    }
    for (std::size_t i = 0; i < sizeof kStart; ++i) {
        if (frame[kPayloadOffset + i] != kStart[i]) {
            return false;
        }
    }
    return true;
}

std::optional<std::vector<std::uint8_t>> waitForInfoPacket(LiveCapture& capture, int limit,
                                                           std::chrono::milliseconds overall,
                                                           const std::atomic<bool>* cancel,
                                                           QString* errorText) {
    const auto deadline = std::chrono::steady_clock::now() + overall;
    int examined = 0;
    // A frame beyond the limit is not looked at, so none is waited for.
    while (examined < limit) {
        if ((cancel != nullptr && cancel->load()) || std::chrono::steady_clock::now() >= deadline) {
            return std::nullopt;
        }
        LiveCapture::Frame frame;
        switch (capture.next(frame, errorText)) {
        case LiveCapture::ReadResult::Error:
            return std::nullopt;
        case LiveCapture::ReadResult::Timeout:
            continue;
        case LiveCapture::ReadResult::Frame:
            break;
        }
        ++examined;
        if (isDeviceInfoFrame(frame.data, frame.length)) {
            return std::vector<std::uint8_t>(frame.data, frame.data + frame.length);
        }
    }
    return std::nullopt;
}

} // namespace DeviceInfoFrame
