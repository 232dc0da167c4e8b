#include "capture/CapturePacketReader.h"

#include "lidar/DataPacket.h"

#include <algorithm>

namespace {
// About 200 packets of a plain capture.
constexpr std::size_t kWindowBytes = 256 << 10;
} // namespace

CapturePacketReader::CapturePacketReader(const CaptureFile& capture)
    : capture_(capture), capacity_(static_cast<std::size_t>(
                             std::min<std::uint64_t>(capture.fileSize(), kWindowBytes))),
      window_(new std::uint8_t[capacity_]) {}

const std::uint8_t* CapturePacketReader::packet(int index) {
    const std::uint64_t offset = capture_.packetOffsets()[static_cast<std::size_t>(index)];
    const std::uint64_t end = offset + DataPacket::kSize;
    if (offset < start_ || end > start_ + filled_) {
        // Forward reads fill the window from the packet on, backward reads
        // up to its end.
        if (index < lastIndex_) {
            start_ = end > capacity_ ? end - capacity_ : 0;
        } else {
            start_ = offset;
        }
        const auto wanted = static_cast<std::size_t>(
            std::min<std::uint64_t>(capacity_, capture_.fileSize() - start_));
        filled_ = capture_.file().readAt(start_, window_.get(), wanted);
        if (start_ + filled_ < end) {
            failedPacket_ = index;
            failedByte_ = start_ + filled_;
            filled_ = 0;
            return nullptr;
        }
    }
    lastIndex_ = index;
    return window_.get() + (offset - start_);
}

QString CapturePacketReader::failure() const {
    return failedPacket_ < 0 ? QString() : capture_.shortenedNotice(failedByte_, failedPacket_);
}
