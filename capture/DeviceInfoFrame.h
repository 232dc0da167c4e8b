#pragma once

#include "capture/LiveCapture.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// Finding the sensor by one of its device-information packets on the wire.
namespace DeviceInfoFrame {

constexpr std::size_t kFrameSize = 1248; // Ethernet 14 + IPv4 20 + UDP 8 + 1206
constexpr std::size_t kPayloadOffset = 42;
constexpr std::size_t kSourceAddressOffset = 26; // the sender's IPv4 address

// A captured frame is a device-information frame when it is exactly 1248
// bytes long and its payload starts A5 FF 00 5A.
bool isDeviceInfoFrame(const std::uint8_t* frame, std::size_t length);

// Reads frames until a device-information frame turns up (returned whole),
// `limit` frames were examined (the next one is not looked at), `overall`
// has passed, the capture reports an error, or `cancel` is set. Time-outs of
// single reads do not end the wait; `overall` and `cancel` are looked at
// within one read time-out of the capture.
std::optional<std::vector<std::uint8_t>>
waitForInfoPacket(LiveCapture& capture, int limit, std::chrono::milliseconds overall,
                  const std::atomic<bool>* cancel = nullptr);

} // namespace DeviceInfoFrame
