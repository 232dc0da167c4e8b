#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Writes an MCAP file (format version 0) in one pass, for readers that seek:
// messages are grouped into chunks (uncompressed) of about chunkSize bytes,
// each followed by the message indexes of its channels; after the data end
// come the summary section (schemas, channels, statistics, chunk indexes),
// the summary offsets and the footer. The data section, each chunk and the
// summary carry their CRC-32. Schemas and channels are also written into the
// chunk that is open when they are added, so a reader that streams the file
// meets them before the first message that needs them.
class McapWriter {
public:
    // Takes the file's bytes in order; false when they could not be written.
    using Sink = std::function<bool(const char* data, std::size_t size)>;
    using Metadata = std::map<std::string, std::string>;

    static constexpr std::size_t kDefaultChunkSize = 4 << 20;

    explicit McapWriter(Sink sink, std::size_t chunkSize = kDefaultChunkSize);

    // The magic and the header record.
    bool start(const std::string& profile, const std::string& library);
    // Ids from 1 on, in the order added.
    std::uint16_t addSchema(const std::string& name, const std::string& encoding,
                            const std::string& data);
    std::uint16_t addChannel(std::uint16_t schemaId, const std::string& topic,
                             const std::string& messageEncoding, const Metadata& metadata = {});
    // Times in nanoseconds since 1970.
    bool addMessage(std::uint16_t channelId, std::uint32_t sequence, std::uint64_t logTime,
                    std::uint64_t publishTime, const char* data, std::size_t size);
    // The last chunk, the data end, the summary, the footer and the magic.
    bool finish();

    std::uint64_t bytesWritten() const { return position_; }
    std::uint64_t messageCount() const { return messageCount_; }

private:
    struct TimeRange {
        std::uint64_t start = 0;
        std::uint64_t end = 0;
        void add(std::uint64_t time, bool first);
    };

    // Keeps a schema or channel record, the id first, for the summary and
    // puts it into the open chunk; returns the id.
    std::uint16_t addDefinition(std::vector<std::string>& records, std::uint8_t opcode,
                                const std::string& fields);
    bool output(const std::string& bytes);
    bool output(const char* data, std::size_t size);
    bool writeChunk();
    bool writeSummary();

    Sink sink_;
    std::size_t chunkSize_;
    bool ok_ = true;
    std::uint64_t position_ = 0;
    // Of the data section while it is written, then of the summary.
    std::uint32_t crc_ = 0;

    std::vector<std::string> schemaRecords_;
    std::vector<std::string> channelRecords_;
    std::vector<std::string> chunkIndexRecords_;

    std::string chunk_;
    TimeRange chunkTimes_;
    std::uint64_t chunkMessages_ = 0;
    // Per channel: log time and offset in the chunk of each message.
    std::map<std::uint16_t, std::vector<std::pair<std::uint64_t, std::uint64_t>>> chunkIndex_;

    TimeRange times_;
    std::uint64_t messageCount_ = 0;
    std::uint32_t chunkCount_ = 0;
    std::map<std::uint16_t, std::uint64_t> channelMessageCounts_;
};
