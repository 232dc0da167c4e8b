#pragma once

#include "capture/CapturePacketStream.h"
#include "capture/CaptureSensor.h"
#include "capture/ReadOnlyFile.h"
#include "lidar/SensorTable.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// An opened capture: the file, kept open read-only, and an index of where
// its data packets lie, built in one pass (CapturePacketStream), sensor by
// sensor (SensorTable: in the order first heard, bounded; packets of
// sources beyond the bound are counted and left out). Packets are
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

    // The sensors whose data packets the capture holds, first heard first;
    // at least one.
    const std::vector<CaptureSensor>& sensors() const { return sensors_; }
    int sensorCount() const { return static_cast<int>(sensors_.size()); }
    const CaptureSensor& sensor(int index) const {
        return sensors_[static_cast<std::size_t>(index)];
    }
    // Data packets of every sensor.
    std::uint64_t dataPacketCount() const { return dataPackets_; }
    // Data packets of sources beyond the bound on sensors, left out.
    std::uint64_t sensorBoundDrops() const { return sensorTable_.refused(); }

    // Those of the first sensor, which is the whole capture when it holds
    // one sensor:
    // where each data packet's 1206 bytes start in the file, in file order;
    const std::vector<std::uint64_t>& packetOffsets() const { return primary().packetOffsets; }
    int capturePacketCount() const { return primary().packetCount(); }
    // the frame markers, counted at group boundaries only;
    int captureFrameCount() const { return primary().frameCount(); }
    // for each marker in file order, the index of the packet holding it.
    const std::vector<std::int32_t>& frameStartPackets() const {
        return primary().frameStartPackets;
    }

    // Where the file was cut short: the offset of its incomplete last
    // record; empty for a complete file.
    const std::optional<std::uint64_t>& truncatedAt() const { return truncatedAt_; }
    // For the user: where the file was cut and what was loaded before the
    // cut; empty for a complete file.
    QString truncationNotice() const;

    // The frame of the first sensor that packet `packet` starts in.
    int frameOfPacket(int packet) const { return primary().frameOfPacket(packet); }
    // For the user, when packet `packet` of sensor `sensor` can no longer be
    // read because the file has been shortened since it was opened; `byte`
    // is the first byte that could not be read.
    QString shortenedNotice(std::uint64_t byte, int packet, int sensor = 0) const;

    // Packet records of any kind in the file.
    std::uint64_t recordCount() const { return recordCount_; }
    // The size of the file when it was opened.
    std::uint64_t fileSize() const { return file_.size(); }
    const ReadOnlyFile& file() const { return file_; }

private:
    explicit CaptureFile(const QString& path);
    bool load(const Progress& progress, QString* errorText, const std::atomic<bool>* cancel);
    // False when the index is full.
    bool index(const SensorId& source, const std::uint8_t* payload, std::uint64_t offset);
    const CaptureSensor& primary() const;

    QString captureFileName_;
    ReadOnlyFile file_;
    SensorTable sensorTable_;
    std::vector<CaptureSensor> sensors_;
    std::uint64_t dataPackets_ = 0;
    std::uint64_t recordCount_ = 0;
    std::optional<std::uint64_t> truncatedAt_;
    bool tooManyPackets_ = false;
};
