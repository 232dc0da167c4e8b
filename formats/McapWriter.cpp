#include "formats/McapWriter.h"

#include "formats/Crc32.h"
#include "formats/LittleEndian.h"

namespace {

using namespace LittleEndian;

constexpr char kMagic[] = {'\x89', 'M', 'C', 'A', 'P', '0', '\r', '\n'};

enum Opcode : std::uint8_t {
    kHeader = 0x01,
    kFooter = 0x02,
    kSchema = 0x03,
    kChannel = 0x04,
    kMessage = 0x05,
    kChunk = 0x06,
    kMessageIndex = 0x07,
    kChunkIndex = 0x08,
    kStatistics = 0x0B,
    kSummaryOffset = 0x0E,
    kDataEnd = 0x0F,
};

void putString(std::string& out, const std::string& text) {
    putU32(out, static_cast<std::uint32_t>(text.size()));
    out += text;
}

// A record: opcode, content length, content.
std::string record(Opcode opcode, const std::string& content) {
    std::string out;
    putU8(out, opcode);
    putU64(out, content.size());
    out += content;
    return out;
}

constexpr std::size_t kMessageFields = 2 + 4 + 8 + 8;

} // namespace

void McapWriter::TimeRange::add(std::uint64_t time, bool first) {
    start = first || time < start ? time : start;
    end = first || time > end ? time : end;
}

McapWriter::McapWriter(Sink sink, std::size_t chunkSize)
    : sink_(std::move(sink)), chunkSize_(chunkSize) {}

bool McapWriter::output(const char* data, std::size_t size) {
    if (!ok_) {
        return false;
    }
    ok_ = sink_(data, size);
    position_ += size;
    crc_ = Crc32::update(crc_, data, size);
    return ok_;
}

bool McapWriter::output(const std::string& bytes) {
    return output(bytes.data(), bytes.size());
}

bool McapWriter::start(const std::string& profile, const std::string& library) {
    std::string header;
    putString(header, profile);
    putString(header, library);
    return output(kMagic, sizeof kMagic) && output(record(kHeader, header));
}

std::uint16_t McapWriter::addSchema(const std::string& name, const std::string& encoding,
                                    const std::string& data) {
    std::string fields;
    putString(fields, name);
    putString(fields, encoding);
    putString(fields, data);
    return addDefinition(schemaRecords_, kSchema, fields);
}

std::uint16_t McapWriter::addChannel(std::uint16_t schemaId, const std::string& topic,
                                     const std::string& messageEncoding, const Metadata& metadata) {
    std::string map;
    for (const auto& [key, value] : metadata) {
        putString(map, key);
        putString(map, value);
    }
    std::string fields;
    putU16(fields, schemaId);
    putString(fields, topic);
    putString(fields, messageEncoding);
    putString(fields, map);
    return addDefinition(channelRecords_, kChannel, fields);
}

std::uint16_t McapWriter::addDefinition(std::vector<std::string>& records, std::uint8_t opcode,
                                        const std::string& fields) {
    const auto id = static_cast<std::uint16_t>(records.size() + 1);
    std::string content;
    putU16(content, id);
    content += fields;
    records.push_back(record(static_cast<Opcode>(opcode), content));
    chunk_ += records.back();
    return id;
}

bool McapWriter::addMessage(std::uint16_t channelId, std::uint32_t sequence, std::uint64_t logTime,
                            std::uint64_t publishTime, const char* data, std::size_t size) {
    chunkIndex_[channelId].emplace_back(logTime, chunk_.size());
    chunkTimes_.add(logTime, chunkMessages_ == 0);
    times_.add(logTime, messageCount_ == 0);
    ++chunkMessages_;
    ++messageCount_;
    ++channelMessageCounts_[channelId];

    putU8(chunk_, kMessage);
    putU64(chunk_, kMessageFields + size);
    putU16(chunk_, channelId);
    putU32(chunk_, sequence);
    putU64(chunk_, logTime);
    putU64(chunk_, publishTime);
    chunk_.append(data, size);
    return chunk_.size() < chunkSize_ ? ok_ : writeChunk();
}

bool McapWriter::writeChunk() {
    if (chunk_.empty()) {
        return ok_;
    }
    const std::uint64_t chunkStart = position_;
    std::string head;
    putU8(head, kChunk);
    putU64(head, 8 + 8 + 8 + 4 + 4 + 8 + chunk_.size());
    putU64(head, chunkTimes_.start);
    putU64(head, chunkTimes_.end);
    putU64(head, chunk_.size());
    putU32(head, Crc32::update(0, chunk_.data(), chunk_.size()));
    putString(head, std::string()); // no compression
    putU64(head, chunk_.size());
    output(head);
    output(chunk_);
    const std::uint64_t chunkLength = position_ - chunkStart;

    std::string indexOffsets;
    const std::uint64_t indexesStart = position_;
    for (const auto& [channel, entries] : chunkIndex_) {
        putU16(indexOffsets, channel);
        putU64(indexOffsets, position_);
        std::string content;
        putU16(content, channel);
        putU32(content, static_cast<std::uint32_t>(entries.size() * 16));
        for (const auto& [time, offset] : entries) {
            putU64(content, time);
            putU64(content, offset);
        }
        output(record(kMessageIndex, content));
    }

    std::string index;
    putU64(index, chunkTimes_.start);
    putU64(index, chunkTimes_.end);
    putU64(index, chunkStart);
    putU64(index, chunkLength);
    putString(index, indexOffsets);
    putU64(index, position_ - indexesStart);
    putString(index, std::string());
    putU64(index, chunk_.size());
    putU64(index, chunk_.size());
    chunkIndexRecords_.push_back(record(kChunkIndex, index));

    ++chunkCount_;
    chunk_.clear();
    chunkIndex_.clear();
    chunkTimes_ = {};
    chunkMessages_ = 0;
    return ok_;
}

bool McapWriter::finish() {
    writeChunk();
    std::string dataEnd;
    putU32(dataEnd, crc_);
    output(record(kDataEnd, dataEnd));
    return writeSummary();
}

bool McapWriter::writeSummary() {
    std::string statistics;
    putU64(statistics, messageCount_);
    putU16(statistics, static_cast<std::uint16_t>(schemaRecords_.size()));
    putU32(statistics, static_cast<std::uint32_t>(channelRecords_.size()));
    putU32(statistics, 0); // attachments
    putU32(statistics, 0); // metadata
    putU32(statistics, chunkCount_);
    putU64(statistics, times_.start);
    putU64(statistics, times_.end);
    std::string counts;
    for (const auto& [channel, count] : channelMessageCounts_) {
        putU16(counts, channel);
        putU64(counts, count);
    }
    putString(statistics, counts);
    const std::vector<std::string> statisticsRecords = {record(kStatistics, statistics)};

    const std::uint64_t summaryStart = position_;
    crc_ = 0;
    std::string offsets;
    const auto group = [&](Opcode opcode, const std::vector<std::string>& records) {
        if (records.empty()) {
            return;
        }
        const std::uint64_t groupStart = position_;
        for (const std::string& r : records) {
            output(r);
        }
        std::string content;
        putU8(content, opcode);
        putU64(content, groupStart);
        putU64(content, position_ - groupStart);
        offsets += record(kSummaryOffset, content);
    };
    group(kSchema, schemaRecords_);
    group(kChannel, channelRecords_);
    group(kStatistics, statisticsRecords);
    group(kChunkIndex, chunkIndexRecords_);
    const std::uint64_t summaryOffsetStart = position_;
    output(offsets);

    std::string footer;
    putU8(footer, kFooter);
    putU64(footer, 8 + 8 + 4);
    putU64(footer, summaryStart);
    putU64(footer, summaryOffsetStart);
    output(footer);
    std::string summaryCrc;
    putU32(summaryCrc, crc_);
    output(summaryCrc);
    return output(kMagic, sizeof kMagic);
}
