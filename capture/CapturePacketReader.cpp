#include "capture/CapturePacketReader.h"

#include "lidar/DataPacket.h"

CapturePacketReader::CapturePacketReader(const CaptureFile& capture, int sensor)
    : capture_(capture), sensor_(sensor), offsets_(capture.sensor(sensor).packetOffsets),
      window_(capture.file()) {}

const std::uint8_t* CapturePacketReader::packet(int index) {
    const std::uint64_t offset = offsets_[static_cast<std::size_t>(index)];
    const std::uint64_t end = offset + DataPacket::kSize;
    // Forward reads fill the window from the packet on, backward reads up to
    // its end.
    const std::uint64_t capacity = window_.capacity();
    const std::uint64_t fillFrom = index >= lastIndex_ ? offset
                                   : end > capacity    ? end - capacity
                                                       : 0;
    const std::uint8_t* payload = window_.view(offset, DataPacket::kSize, fillFrom);
    if (!payload) {
        failedPacket_ = index;
        failedByte_ = window_.lostAt();
        return nullptr;
    }
    lastIndex_ = index;
    return payload;
}

QString CapturePacketReader::failure() const {
    return failedPacket_ < 0 ? QString()
                             : capture_.shortenedNotice(failedByte_, failedPacket_, sensor_);
}
