#pragma once

#include "capture/ReadOnlyFile.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>

// One packet record of a capture file: the captured bytes and the link type
// of the interface that captured them. `data` is valid during the visit
// only; `offset` is where it lies in the file. Of a record longer than
// kMaxRecordShown only the first kMaxRecordShown bytes are shown: no longer
// frame can be a data packet by its first bytes alone. `time` is when it
// was captured, in nanoseconds since 1970 (0 for the pcapng blocks that
// hold no time).
struct CaptureRecord {
    static constexpr std::uint32_t kMaxRecordShown = 64 << 10;

    std::uint32_t linkType;
    const std::uint8_t* data;
    std::uint32_t length;
    std::uint64_t offset;
    std::int64_t time;
};

// Walks the packet records of a pcap or pcapng file in file order, reading
// it in large pieces. Every length taken from the file is checked against
// the file's size before it is used, so a damaged or truncated file is
// reported, never read beyond.
class CaptureRecords {
public:
    // Returns false to end the walk after this record.
    using Visitor = std::function<bool(const CaptureRecord&)>;
    // Bytes walked so far and the image size; called a few hundred times at
    // most, and once more with done == total when the walk reaches the end.
    using Progress = std::function<void(std::uint64_t done, std::uint64_t total)>;

    struct Outcome {
        // False at the first inconsistency, when the file shrinks while it
        // is walked, or when cancelled; `errorText` says why. The records
        // before it have been visited by then.
        bool ok = false;
        // The visitor ended the walk; the rest of the file was not read.
        bool stopped = false;
        // A file cut short (the last record runs past its end, as after an
        // interrupted copy) is not an inconsistency: the walk ends there,
        // ok, at the offset of the incomplete record.
        std::optional<std::uint64_t> truncatedAt;
        // The first byte, within the size the file had when it was opened,
        // that could no longer be read.
        std::optional<std::uint64_t> shortenedAt;
        QString errorText;
    };

    // Setting `cancel` (from any thread) ends the walk before the next
    // record, not ok.
    static Outcome walk(const ReadOnlyFile& file, const Visitor& visit, const Progress& progress,
                        const std::atomic<bool>* cancel = nullptr);
};
