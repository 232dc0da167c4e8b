#pragma once

#include "capture/CaptureRecords.h"
#include "capture/MappedFile.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// An opened capture: the file mapped read-only and an index of its data
// packets, built in one pass. The packet pointers point into the mapping,
// so nothing is copied and a capture larger than the free memory opens;
// the mapping lives as long as the object, and users share ownership of it
// (a player keeps the capture it plays alive).
class CaptureFile {
public:
    using Progress = CaptureRecords::Progress;

    // Maps and indexes `path` (pcap or pcapng). Returns null and a text for
    // the user when the file cannot be read, is not a capture, is damaged,
    // or holds no data packet. A file cut short opens with the packets
    // before the cut (see truncationNotice()). Setting `cancel` (from any
    // thread) ends the indexing early, without a capture.
    static std::shared_ptr<const CaptureFile> open(const QString& path, QString* errorText,
                                                   const Progress& progress = {},
                                                   const std::atomic<bool>* cancel = nullptr);

    ~CaptureFile();
    CaptureFile(const CaptureFile&) = delete;
    CaptureFile& operator=(const CaptureFile&) = delete;

    const QString& captureFileName() const { return captureFileName_; }
    // One pointer per data packet, in file order, each to its 1206 bytes.
    const std::vector<const std::uint8_t*>& captureBuffers() const { return captureBuffers_; }
    int capturePacketCount() const { return static_cast<int>(captureBuffers_.size()); }
    // Frame markers in the file, counted at group boundaries only.
    int captureFrameCount() const { return static_cast<int>(frameStartPackets_.size()); }
    // For each marker in file order, the index of the packet holding it.
    const std::vector<std::int32_t>& frameStartPackets() const { return frameStartPackets_; }

    // Where the file was cut short: the offset of its incomplete last
    // record; empty for a complete file.
    const std::optional<std::uint64_t>& truncatedAt() const { return truncatedAt_; }
    // For the user: where the file was cut and what was loaded before the
    // cut; empty for a complete file.
    QString truncationNotice() const;

    // Packet records of any kind in the file.
    std::uint64_t recordCount() const { return recordCount_; }
    const std::uint8_t* mappedData() const { return mapping_.data(); }
    std::uint64_t mappedSize() const { return mapping_.size(); }

private:
    explicit CaptureFile(const QString& path);
    bool load(const Progress& progress, QString* errorText, const std::atomic<bool>* cancel);
    void index(const CaptureRecord& record);

    QString captureFileName_;
    MappedFile mapping_;
    std::vector<const std::uint8_t*> captureBuffers_;
    std::vector<std::int32_t> frameStartPackets_;
    std::uint64_t recordCount_ = 0;
    std::optional<std::uint64_t> truncatedAt_;
    std::uint32_t unsupportedLinkType_ = 0;
    bool sawUnsupportedLinkType_ = false;
    bool tooManyPackets_ = false;
};
