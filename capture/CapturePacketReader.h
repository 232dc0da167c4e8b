#pragma once

#include "capture/CaptureFile.h"
#include "capture/FileWindow.h"

#include <QString>
#include <cstdint>

// Reads the data packets of one sensor of an opened capture by index (its
// own numbering, CaptureSensor), for one thread at a time. Packets come from a window of the file
// that one read refills, in the direction the reads move, so playing and exporting cost a read per
// few hundred packets and the resident memory stays the window's size.
class CapturePacketReader {
public:
    explicit CapturePacketReader(const CaptureFile& capture, int sensor = 0);

    // The 1206 payload bytes of packet `index`, valid until the next call;
    // nullptr when the file no longer holds them (see failure()).
    const std::uint8_t* packet(int index);

    // Why the last packet() gave nothing: CaptureFile::shortenedNotice.
    QString failure() const;

private:
    const CaptureFile& capture_;
    int sensor_;
    const std::vector<std::uint64_t>& offsets_;
    FileWindow window_;
    int lastIndex_ = 0;
    int failedPacket_ = -1;
    std::uint64_t failedByte_ = 0;
};
