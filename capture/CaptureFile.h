#pragma once

#include "capture/CapturePacketStream.h"
#include "capture/ReadOnlyFile.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// An opened capture: the file, kept open read-only, and an index of where
// its data packets lie, built in one pass (CapturePacketStream). Packets are
// read from the file when they are played (CapturePacketReader), so a
// capture larger than the free memory opens, and a file that another
// program shortens meanwhile gives a message instead of a crash. Users
// share ownership (a player keeps the capture it plays alive).
class CaptureFile {
public:
    using Progress = CapturePacketStream::Progress;

    // Indexes `path` (pcap or pcapng). Returns null and a text for the user
    // when the file cannot be read, is not a capture, is damaged, or holds
    // no data packet. A file cut short opens with the packets before the
    // cut (see truncationNotice()). Setting `cancel` (from any thread) ends
    // the indexing early, without a capture.
    static std::shared_ptr<const CaptureFile> open(const QString& path, QString* errorText,
                                                   const Progress& progress = {},
                                                   const std::atomic<bool>* cancel = nullptr);

    ~CaptureFile();
    CaptureFile(const CaptureFile&) = delete;
    CaptureFile& operator=(const CaptureFile&) = delete;

    const QString& captureFileName() const { return captureFileName_; }
    // Where each data packet's 1206 bytes start in the file, in file order.
    const std::vector<std::uint64_t>& packetOffsets() const { return packetOffsets_; }
    int capturePacketCount() const { return static_cast<int>(packetOffsets_.size()); }
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

    // The frame that packet `packet` starts in: 0 before the first marker.
    int frameOfPacket(int packet) const;
    // For the user, when packet `packet` can no longer be read because the
    // file has been shortened since it was opened; `byte` is the first byte
    // that could not be read.
    QString shortenedNotice(std::uint64_t byte, int packet) const;

    // Packet records of any kind in the file.
    std::uint64_t recordCount() const { return recordCount_; }
    // The size of the file when it was opened.
    std::uint64_t fileSize() const { return file_.size(); }
    const ReadOnlyFile& file() const { return file_; }

private:
    explicit CaptureFile(const QString& path);
    bool load(const Progress& progress, QString* errorText, const std::atomic<bool>* cancel);
    // False when the index is full.
    bool index(const std::uint8_t* payload, std::uint64_t offset);

    QString captureFileName_;
    ReadOnlyFile file_;
    std::vector<std::uint64_t> packetOffsets_;
    std::vector<std::int32_t> frameStartPackets_;
    std::uint64_t recordCount_ = 0;
    std::optional<std::uint64_t> truncatedAt_;
    bool tooManyPackets_ = false;
};
