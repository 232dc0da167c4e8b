#include "formats/McapWriter.h"
#include "ExpectedBytes.h"
#include "formats/Crc32.h"

#include <gtest/gtest.h>

namespace {

// MCAP strings and byte arrays: a 4-byte length, then the bytes.
std::string str(const std::string& s) {
    return ExpectedBytes().u32(static_cast<std::uint32_t>(s.size())).raw(s).data;
}

// A record: opcode, 8-byte content length, content.
std::string record(std::uint8_t opcode, const std::string& content) {
    return ExpectedBytes().u8(opcode).u64(content.size()).raw(content).data;
}

const std::string kMagic("\x89MCAP0\r\n", 8);

} // namespace

TEST(Crc32, MatchesTheStandardCheckValueAcrossPieces) {
    EXPECT_EQ(Crc32::update(0, "123456789", 9), 0xCBF43926u);
    EXPECT_EQ(Crc32::update(Crc32::update(0, "1234", 4), "56789", 5), 0xCBF43926u);
    EXPECT_EQ(bitwiseCrc32("123456789"), 0xCBF43926u);
}

// One schema, one channel, one message: every record of the MCAP file
// layout, spelled out.
TEST(McapWriter, ATinyFileHasEveryRecordOfTheIndexedLayout) {
    std::string file;
    McapWriter writer([&](const char* data, std::size_t size) {
        file.append(data, size);
        return true;
    });
    const std::uint16_t schema = writer.addSchema("s", "e", "d");
    const std::uint16_t channel = writer.addChannel(schema, "/t", "cdr");
    ASSERT_TRUE(writer.start("p", "l"));
    ASSERT_TRUE(writer.addMessage(channel, 7, 5, 6, "hi", 2));
    ASSERT_TRUE(writer.finish());
    EXPECT_EQ(schema, 1);
    EXPECT_EQ(channel, 1);

    const std::string header = record(0x01, str("p") + str("l"));
    const std::string schemaRecord =
        record(0x03, ExpectedBytes().u16(1).data + str("s") + str("e") + str("d"));
    const std::string channelRecord =
        record(0x04, ExpectedBytes().u16(1).u16(1).data + str("/t") + str("cdr") + str(""));
    const std::string message =
        record(0x05, ExpectedBytes().u16(1).u32(7).u64(5).u64(6).raw("hi").data);
    const std::string records = schemaRecord + channelRecord + message;
    const std::string chunk = record(0x06, ExpectedBytes()
                                               .u64(5) // message start time
                                               .u64(5) // message end time
                                               .u64(records.size())
                                               .u32(bitwiseCrc32(records))
                                               .raw(str("")) // no compression
                                               .u64(records.size())
                                               .raw(records)
                                               .data);
    const std::uint64_t chunkStart = kMagic.size() + header.size();
    const std::uint64_t messageOffset = schemaRecord.size() + channelRecord.size();
    const std::string messageIndex =
        record(0x07, ExpectedBytes().u16(1).u32(16).u64(5).u64(messageOffset).data);
    std::string dataSection = kMagic + header + chunk + messageIndex;
    dataSection += record(0x0F, ExpectedBytes().u32(bitwiseCrc32(dataSection)).data);

    const std::string statistics = record(0x0B, ExpectedBytes()
                                                    .u64(1) // messages
                                                    .u16(1) // schemas
                                                    .u32(1) // channels
                                                    .u32(0) // attachments
                                                    .u32(0) // metadata
                                                    .u32(1) // chunks
                                                    .u64(5)
                                                    .u64(5)
                                                    .u32(10) // channel 1: 1 message
                                                    .u16(1)
                                                    .u64(1)
                                                    .data);
    const std::string chunkIndex = record(0x08, ExpectedBytes()
                                                    .u64(5)
                                                    .u64(5)
                                                    .u64(chunkStart)
                                                    .u64(chunk.size())
                                                    .u32(10) // channel 1's message index
                                                    .u16(1)
                                                    .u64(chunkStart + chunk.size())
                                                    .u64(messageIndex.size())
                                                    .raw(str(""))
                                                    .u64(records.size())
                                                    .u64(records.size())
                                                    .data);
    std::uint64_t at = dataSection.size();
    std::string offsets;
    for (const auto& [opcode, group] : {std::pair{0x03, schemaRecord},
                                        {0x04, channelRecord},
                                        {0x0B, statistics},
                                        {0x08, chunkIndex}}) {
        offsets += record(
            0x0E,
            ExpectedBytes().u8(static_cast<std::uint8_t>(opcode)).u64(at).u64(group.size()).data);
        at += group.size();
    }
    const std::string summary = schemaRecord + channelRecord + statistics + chunkIndex;
    const std::string footerStart =
        ExpectedBytes().u8(0x02).u64(20).u64(dataSection.size()).u64(at).data;
    const std::string expected =
        dataSection + summary + offsets + footerStart +
        ExpectedBytes().u32(bitwiseCrc32(summary + offsets + footerStart)).data + kMagic;
    EXPECT_EQ(hex(file), hex(expected));
    EXPECT_EQ(writer.bytesWritten(), expected.size());
}

TEST(McapWriter, AFailedWriteEndsTheFileThere) {
    std::size_t writes = 0;
    McapWriter writer([&](const char*, std::size_t) { return ++writes < 4; }, 200);
    const std::uint16_t channel = writer.addChannel(writer.addSchema("s", "e", ""), "/t", "x");
    ASSERT_TRUE(writer.start("", "")); // magic, header
    const std::string payload(60, 'x');
    // The second message fills the chunk: its head is written, its records fail.
    EXPECT_TRUE(writer.addMessage(channel, 1, 10, 10, payload.data(), payload.size()));
    EXPECT_FALSE(writer.addMessage(channel, 2, 20, 20, payload.data(), payload.size()));
    EXPECT_FALSE(writer.addMessage(channel, 3, 30, 30, payload.data(), payload.size()));
    EXPECT_FALSE(writer.finish());
    EXPECT_EQ(writes, 4u);
}
