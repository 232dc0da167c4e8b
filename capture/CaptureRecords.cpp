#include "capture/CaptureRecords.h"

#include "capture/FileWindow.h"
#include "capture/PcapFormat.h"

#include <QCoreApplication>
#include <algorithm>
#include <vector>

namespace {

constexpr std::uint32_t kPcapMicroseconds = 0xA1B2C3D4;
constexpr std::uint32_t kPcapNanoseconds = 0xA1B23C4D;

constexpr std::uint32_t kSectionHeaderBlock = 0x0A0D0D0A;
constexpr std::uint32_t kInterfaceBlock = 1;
constexpr std::uint32_t kObsoletePacketBlock = 2;
constexpr std::uint32_t kSimplePacketBlock = 3;
constexpr std::uint32_t kEnhancedPacketBlock = 6;
constexpr std::uint32_t kByteOrderMagic = 0x1A2B3C4D;
constexpr std::size_t kBlockOverhead = 12; // type, length, trailing length

QString tr(const char* text) {
    return QCoreApplication::translate("CaptureFile", text);
}

// Reads fields in the byte order of the file (or section) being walked.
struct FieldReader {
    const std::uint8_t* data;
    bool bigEndian;

    std::uint16_t u16(std::size_t offset) const {
        const std::uint8_t* p = data + offset;
        return bigEndian ? static_cast<std::uint16_t>(p[0] << 8 | p[1])
                         : static_cast<std::uint16_t>(p[1] << 8 | p[0]);
    }
    std::uint32_t u32(std::size_t offset) const {
        const std::uint32_t a = u16(offset);
        const std::uint32_t b = u16(offset + 2);
        return bigEndian ? a << 16 | b : b << 16 | a;
    }
};

std::uint32_t littleEndian32(const std::uint8_t* p) {
    return FieldReader{p, false}.u32(0);
}

// Reports progress each time another 1/256 of the file has been walked, and
// tells the walk when it is to end early.
class ProgressTicker {
public:
    ProgressTicker(const CaptureRecords::Progress& progress, std::uint64_t total,
                   const std::atomic<bool>* cancel)
        : progress_(progress), total_(total), step_(std::max<std::uint64_t>(total / 256, 1)),
          cancel_(cancel) {}

    // False once the walk is cancelled.
    bool at(std::uint64_t done) {
        if (cancel_ && cancel_->load(std::memory_order_relaxed)) {
            return false;
        }
        if (progress_ && done >= next_) {
            progress_(done, total_);
            next_ = done + step_;
        }
        return true;
    }
    void finish() {
        if (progress_) {
            progress_(total_, total_);
        }
    }

private:
    const CaptureRecords::Progress& progress_;
    std::uint64_t total_;
    std::uint64_t step_;
    std::uint64_t next_ = 0;
    const std::atomic<bool>* cancel_;
};

using Outcome = CaptureRecords::Outcome;

bool cancelled(Outcome& out) {
    out.errorText = tr("Opening the capture file was cancelled.");
    return false;
}

QString damagedAt(std::uint64_t offset, const QString& what) {
    return tr("The capture file is damaged at byte %1: %2").arg(offset).arg(what);
}

// Longest view asked for: a block header and a record shown in full.
constexpr std::size_t kMaxView = CaptureRecord::kMaxRecordShown + 32;

// For a view that came back empty.
bool shortened(const FileWindow& window, Outcome& out) {
    out.shortenedAt = window.lostAt();
    out.errorText = tr("The capture file was shortened while it was being opened: byte %1 "
                       "can no longer be read.")
                        .arg(window.lostAt());
    return false;
}

bool walkPcap(FileWindow& window, bool bigEndian, bool nanoseconds,
              const CaptureRecords::Visitor& visit, ProgressTicker& ticker, Outcome& out) {
    const std::uint64_t size = window.size();
    if (size < PcapFormat::kFileHeaderBytes) {
        out.errorText = tr("The capture file is truncated: its file header is incomplete.");
        return false;
    }
    const std::uint8_t* fileHeader = window.view(0, PcapFormat::kFileHeaderBytes);
    if (!fileHeader) {
        return shortened(window, out);
    }
    const FieldReader header{fileHeader, bigEndian};
    if (header.u16(4) != 2) {
        out.errorText = tr("The pcap file has version %1.%2, which is not supported.")
                            .arg(header.u16(4))
                            .arg(header.u16(6));
        return false;
    }
    // The upper bits of the field describe frame check sequences.
    const std::uint32_t linkType = header.u32(20) & 0xFFFF;

    std::uint64_t offset = PcapFormat::kFileHeaderBytes;
    while (offset < size) {
        if (!ticker.at(offset)) {
            return cancelled(out);
        }
        const std::uint64_t left = size - offset;
        if (left < PcapFormat::kRecordHeaderBytes) {
            out.truncatedAt = offset;
            return true;
        }
        const std::uint8_t* recordHeader = window.view(offset, PcapFormat::kRecordHeaderBytes);
        if (!recordHeader) {
            return shortened(window, out);
        }
        // Read before the data is viewed: that view may refill the window
        // over the header.
        const FieldReader fields{recordHeader, bigEndian};
        const std::uint32_t captured = fields.u32(8);
        const std::int64_t time = std::int64_t{fields.u32(0)} * 1000000000 +
                                  std::int64_t{fields.u32(4)} * (nanoseconds ? 1 : 1000);
        if (captured > left - PcapFormat::kRecordHeaderBytes) {
            out.truncatedAt = offset;
            return true;
        }
        const std::uint32_t shown = std::min(captured, CaptureRecord::kMaxRecordShown);
        const std::uint8_t* data = window.view(offset + PcapFormat::kRecordHeaderBytes, shown);
        if (!data) {
            return shortened(window, out);
        }
        if (!visit({linkType, data, shown, offset + PcapFormat::kRecordHeaderBytes, time})) {
            out.stopped = true;
            return true;
        }
        offset += PcapFormat::kRecordHeaderBytes + captured;
    }
    return true;
}

// Time stamps count units of 10^-exponent seconds, or of 2^-exponent
// seconds when binary, from `offset` seconds after 1970.
struct TimeUnit {
    bool binary = false;
    int exponent = 6;
    std::int64_t offset = 0;
    unsigned __int128 decimalUnitsPerSecond = 1000000; // 10^exponent, at most 10^38

    void setResolution(std::uint8_t value) {
        binary = (value & 0x80) != 0;
        exponent = value & 0x7F;
        decimalUnitsPerSecond = 1;
        for (int n = std::min(exponent, 38); n > 0; --n) {
            decimalUnitsPerSecond *= 10;
        }
    }

    std::int64_t nanoseconds(std::uint64_t stamp) const {
        const auto exact = static_cast<unsigned __int128>(stamp) * 1000000000u;
        const auto units =
            binary ? exact >> std::min(exponent, 127) : exact / decimalUnitsPerSecond;
        // Wraps rather than overflows on nonsense from a damaged file.
        return static_cast<std::int64_t>(static_cast<std::uint64_t>(units) +
                                         static_cast<std::uint64_t>(offset) * 1000000000u);
    }
};

struct Interface {
    std::uint32_t linkType;
    std::uint32_t snapLength;
    TimeUnit time;
};

// The time stamp resolution (if_tsresol) and offset (if_tsoffset) options
// of an interface description block's options.
TimeUnit timeUnitOf(const FieldReader& options, std::size_t size) {
    constexpr std::uint16_t kEndOfOptions = 0;
    constexpr std::uint16_t kResolution = 9;
    constexpr std::uint16_t kOffset = 14;
    TimeUnit unit;
    for (std::size_t at = 0; at + 4 <= size;) {
        const std::uint16_t code = options.u16(at);
        const std::uint16_t length = options.u16(at + 2);
        if (code == kEndOfOptions || at + 4 + length > size) {
            break;
        }
        if (code == kResolution && length >= 1) {
            unit.setResolution(options.data[at + 4]);
        } else if (code == kOffset && length >= 8) {
            const std::uint64_t a = options.u32(at + 4);
            const std::uint64_t b = options.u32(at + 8);
            unit.offset = static_cast<std::int64_t>(options.bigEndian ? a << 32 | b : b << 32 | a);
        }
        at += 4 + ((length + 3u) & ~3u);
    }
    return unit;
}

bool walkPcapng(FileWindow& window, const CaptureRecords::Visitor& visit, ProgressTicker& ticker,
                Outcome& out) {
    std::vector<Interface> interfaces;
    bool bigEndian = false;
    const std::uint64_t size = window.size();
    std::uint64_t offset = 0;
    while (offset < size) {
        if (!ticker.at(offset)) {
            return cancelled(out);
        }
        const std::uint64_t left = size - offset;
        if (left < kBlockOverhead) {
            out.truncatedAt = offset;
            return true;
        }
        const std::uint8_t* block = window.view(offset, kBlockOverhead);
        if (!block) {
            return shortened(window, out);
        }
        // The section header's type reads the same in both byte orders; its
        // byte-order field sets the order for the whole section.
        const bool sectionStart = littleEndian32(block) == kSectionHeaderBlock;
        if (sectionStart) {
            const std::uint32_t magic = littleEndian32(block + 8);
            if (magic != kByteOrderMagic && FieldReader{block, true}.u32(8) != kByteOrderMagic) {
                out.errorText = damagedAt(offset, tr("unknown byte order of the section."));
                return false;
            }
            bigEndian = magic != kByteOrderMagic;
        }
        const std::uint32_t total = FieldReader{block, bigEndian}.u32(4);
        if (total < kBlockOverhead || total % 4 != 0) {
            out.errorText = damagedAt(offset, tr("invalid block length %1.").arg(total));
            return false;
        }
        if (total > left) {
            out.truncatedAt = offset;
            return true;
        }
        block = window.view(offset, std::min<std::size_t>(total, kMaxView));
        if (!block) {
            return shortened(window, out);
        }
        const FieldReader field{block, bigEndian};
        const std::size_t bodyLength = total - kBlockOverhead;
        const FieldReader body{block + 8, bigEndian};
        const auto tooShort = [&] {
            out.errorText = damagedAt(offset, tr("block too short for its type."));
            return false;
        };
        // Emits the packet of interface `id` whose bytes start at body offset
        // `at`, after checking both against the block; false on damage. The
        // time stamp, if the block has one, is at body offset 4.
        const auto packet = [&](std::uint32_t id, std::size_t at, std::uint32_t captured,
                                bool stamped) {
            if (id >= interfaces.size()) {
                out.errorText = damagedAt(offset, tr("a packet of interface %1, but the section "
                                                     "describes %2 interfaces.")
                                                      .arg(id)
                                                      .arg(interfaces.size()));
                return false;
            }
            if (captured > bodyLength - at) {
                out.errorText = damagedAt(offset, tr("a packet longer than its block."));
                return false;
            }
            std::int64_t time = 0;
            if (stamped) {
                time =
                    interfaces[id].time.nanoseconds(std::uint64_t{body.u32(4)} << 32 | body.u32(8));
            }
            out.stopped =
                !visit({interfaces[id].linkType, block + 8 + at,
                        std::min(captured, CaptureRecord::kMaxRecordShown), offset + 8 + at, time});
            return true;
        };
        switch (sectionStart ? kSectionHeaderBlock : field.u32(0)) {
        case kSectionHeaderBlock:
            if (bodyLength < 16) {
                return tooShort();
            }
            if (body.u16(4) != 1) {
                out.errorText = tr("The pcapng file has version %1.%2, which is not supported.")
                                    .arg(body.u16(4))
                                    .arg(body.u16(6));
                return false;
            }
            interfaces.clear();
            break;
        case kInterfaceBlock:
            if (bodyLength < 8) {
                return tooShort();
            }
            // Options as far as the view of the block reaches.
            interfaces.push_back(
                {body.u16(0), body.u32(4),
                 timeUnitOf(FieldReader{block + 16, bigEndian},
                            std::min(bodyLength, std::min<std::size_t>(total, kMaxView) - 8) - 8)});
            break;
        case kEnhancedPacketBlock:
            if (bodyLength < 20) {
                return tooShort();
            }
            if (!packet(body.u32(0), 20, body.u32(12), true)) {
                return false;
            }
            break;
        case kObsoletePacketBlock:
            if (bodyLength < 20) {
                return tooShort();
            }
            if (!packet(body.u16(0), 20, body.u32(12), true)) {
                return false;
            }
            break;
        case kSimplePacketBlock: {
            if (bodyLength < 4) {
                return tooShort();
            }
            // The block holds no captured length: the original length, cut
            // to the interface's snapshot length and to the block.
            std::uint64_t captured = std::min<std::uint64_t>(body.u32(0), bodyLength - 4);
            if (!interfaces.empty() && interfaces[0].snapLength != 0) {
                captured = std::min<std::uint64_t>(captured, interfaces[0].snapLength);
            }
            if (!packet(0, 4, static_cast<std::uint32_t>(captured), false)) {
                return false;
            }
            break;
        }
        default:
            break; // statistics, name resolution, comments, ...
        }
        if (out.stopped) {
            return true;
        }
        offset += total;
    }
    return true;
}

} // namespace

CaptureRecords::Outcome CaptureRecords::walk(const ReadOnlyFile& file, const Visitor& visit,
                                             const Progress& progress,
                                             const std::atomic<bool>* cancel) {
    Outcome out;
    if (file.size() == 0) {
        out.errorText = tr("The file is empty.");
        return out;
    }
    if (file.size() < 4) {
        out.errorText = tr("This is not a capture file (pcap or pcapng).");
        return out;
    }
    FileWindow window(file);
    const std::uint8_t* start = window.view(0, 4);
    if (!start) {
        shortened(window, out);
        return out;
    }
    ProgressTicker ticker(progress, file.size(), cancel);
    const std::uint32_t magic = littleEndian32(start);
    const std::uint32_t swappedMagic = FieldReader{start, true}.u32(0);
    if (magic == kPcapMicroseconds || magic == kPcapNanoseconds) {
        out.ok = walkPcap(window, false, magic == kPcapNanoseconds, visit, ticker, out);
    } else if (swappedMagic == kPcapMicroseconds || swappedMagic == kPcapNanoseconds) {
        out.ok = walkPcap(window, true, swappedMagic == kPcapNanoseconds, visit, ticker, out);
    } else if (magic == kSectionHeaderBlock) {
        out.ok = walkPcapng(window, visit, ticker, out);
    } else {
        out.errorText = tr("This is not a capture file (pcap or pcapng).");
        return out;
    }
    if (out.ok && !out.stopped) {
        ticker.finish();
    }
    return out;
}
