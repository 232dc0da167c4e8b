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
// frame can be a data packet by its first bytes alone.
struct CaptureRecord {
    static constexpr std::uint32_t kMaxRecordShown = 64 << 10;

    std::uint32_t linkType;
    const std::uint8_t* data;
    std::uint32_t length;
    std::uint64_t offset;
};

// Walks the packet records of a pcap or pcapng file in file order, reading
// it in large pieces. Every length taken from the file is checked against
// the file's size before it is used, so a damaged or truncated file is
// reported, never read beyond.
class CaptureRecords {
public:
    using Visitor = std::function<void(const CaptureRecord&)>;
    // Bytes walked so far and the image size; called a few hundred times at
    // most, and once more with done == total at the end.
    using Progress = std::function<void(std::uint64_t done, std::uint64_t total)>;

    // Returns false and a reason in `errorText` at the first inconsistency,
    // or when the file shrinks while it is walked; the records before it
    // have been visited by then. A file cut short (the last record runs past
    // its end, as after an interrupted copy) is not an inconsistency: the
    // walk ends there, returns true and sets `truncatedAt` to the offset of
    // the incomplete record. Setting `cancel` (from any thread) ends the walk
    // before the next record, with false.
    static bool walk(const ReadOnlyFile& file, const Visitor& visit, const Progress& progress,
                     QString* errorText, std::optional<std::uint64_t>* truncatedAt,
                     const std::atomic<bool>* cancel = nullptr);
};
