#pragma once

#include "capture/LiveCapture.h"
#include "net/EthernetFrame.h"

#include <QString>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Finding the sensor by one of its device-information packets on the wire.
namespace DeviceInfoFrame {

constexpr std::size_t kPayloadOffset = EthernetFrame::kUdpPayload;
constexpr std::size_t kFrameSize = kPayloadOffset + 1206; // 1248
constexpr std::size_t kSourceAddressOffset = EthernetFrame::kIpv4Source;

// Lets through only what isDeviceInfoFrame can accept: UDP in a frame of
// exactly 1248 bytes whose payload starts A5 FF 00 5A, on any port. The
// sensor's data datagrams (thousands a second) then never reach the search.
constexpr const char* kCaptureFilter = "udp and len == 1248 and udp[8:4] == 0xa5ff005a";
static_assert(kFrameSize == 1248, "the capture filter names the frame size");

// kCaptureFilter, and for a sender address (dotted, as the sensor's packets
// come from it) only that sender's frames; any sender's for an empty text.
std::string captureFilter(const std::string& senderAddress);

// A captured frame is a device-information frame when it is exactly 1248
// bytes long and its payload starts A5 FF 00 5A.
bool isDeviceInfoFrame(const std::uint8_t* frame, std::size_t length);

// Reads frames until a device-information frame turns up (returned whole),
// `limit` frames were examined (the next one is not looked at), `overall`
// has passed, the capture reports an error (its text in `errorText`), or
// `cancel` is set. Time-outs of single reads do not end the wait; `overall`
// and `cancel` are looked at within one read time-out of the capture.
std::optional<std::vector<std::uint8_t>>
waitForInfoPacket(LiveCapture& capture, int limit, std::chrono::milliseconds overall,
                  const std::atomic<bool>* cancel = nullptr, QString* errorText = nullptr);

} // namespace DeviceInfoFrame
