#pragma once

#include "capture/CaptureRecords.h"
#include "capture/ReadOnlyFile.h"
#include "lidar/SensorId.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>

// The sensor's data packets in a capture file, visited in file order in one
// pass of large sequential reads, each found in its record by the LinkLayer
// rules. The index of a capture is built on it, and a single pass over a
// capture (the export tool) uses it directly, without an index.
class CapturePacketStream {
public:
    // The 1206 payload bytes, valid during the call, and where they start in
    // the file. Returns false to end the walk there: nothing after it is read.
    using Visitor = std::function<bool(const std::uint8_t* payload, std::uint64_t offset)>;
    using Progress = CaptureRecords::Progress;

    enum class End { Complete, Stopped, Failed };

    explicit CapturePacketStream(const ReadOnlyFile& file) : file_(file) {}

    // Visits the data packets. Failed, with a text for the user in
    // `errorText`, when the walk fails (see CaptureRecords::walk) or the
    // whole file holds no data packet. A file cut short completes with the
    // packets before the cut (truncatedAt()).
    End run(const Visitor& visit, const Progress& progress, QString* errorText,
            const std::atomic<bool>* cancel = nullptr);

    // Data packets visited.
    std::uint64_t packetCount() const { return packets_; }
    // When the packet being visited was captured, in nanoseconds since 1970
    // (0 when its record holds no time).
    std::int64_t packetTime() const { return packetTime_; }
    // Who sent the packet being visited.
    const SensorId& packetSource() const { return packetSource_; }
    // Records of any kind walked.
    std::uint64_t recordCount() const { return records_; }
    // The offset of an incomplete last record.
    const std::optional<std::uint64_t>& truncatedAt() const { return truncatedAt_; }
    // The first byte that could no longer be read, when the file shrank
    // while it was walked (the run failed).
    const std::optional<std::uint64_t>& shortenedAt() const { return shortenedAt_; }

    // For the user: capture `fileName` is cut at byte `at`, and `packets`
    // data packets come before the cut.
    static QString truncationNotice(const QString& fileName, std::uint64_t at,
                                    std::uint64_t packets);
    // For the user: byte `byte` of `fileName`, in data packet `packet` of
    // frame `frame`, can no longer be read.
    static QString shortenedNotice(const QString& fileName, std::uint64_t byte, std::int64_t frame,
                                   std::uint64_t packet);

private:
    const ReadOnlyFile& file_;
    std::uint64_t packets_ = 0;
    std::int64_t packetTime_ = 0;
    SensorId packetSource_;
    std::uint64_t records_ = 0;
    std::optional<std::uint64_t> truncatedAt_;
    std::optional<std::uint64_t> shortenedAt_;
};
