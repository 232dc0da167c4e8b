#include "capture/CapturePacketStream.h"
#include "SampleCapture.h"
#include "capture/FileWindow.h"
#include "capture/LinkLayer.h"

#include <QFile>
#include <cstring>

namespace {

using Payload = DataPacketWriter::Payload;

// Record i of a plain capture starts here; its payload 16 + 42 bytes later.
constexpr std::uint64_t recordOffset(std::uint64_t i) {
    return 24 + i * (16 + LinkLayer::kEthernetDataFrame);
}

struct Walk {
    CapturePacketStream::End end;
    std::uint64_t packets;
    std::optional<std::uint64_t> shortenedAt;
    QString error;
};

// Walks `path`; `visit` sees the index of each data packet.
Walk walk(const QString& path, const std::function<bool(std::uint64_t)>& visit) {
    ReadOnlyFile file;
    QString error;
    EXPECT_TRUE(file.open(path, &error)) << error.toStdString();
    CapturePacketStream stream(file);
    std::uint64_t index = 0;
    const auto end =
        stream.run([&](const std::uint8_t*, std::uint64_t) { return visit(index++); }, {}, &error);
    return {end, stream.packetCount(), stream.shortenedAt(), error};
}

} // namespace

TEST(CapturePacketStream, VisitsEachDataPayloadInFileOrderWhereItLies) {
    QTemporaryDir dir;
    const QString path = dir.filePath("mixed.pcap");
    const auto sample = SampleCapture::standard();
    const auto& payloads = sample->packets.payloads;
    {
        // Device information and an ARP frame after every data packet.
        TestCaptureWriter writer(path.toStdString(), {});
        std::vector<std::uint8_t> deviceInfo(DataPacket::kSize, 0);
        deviceInfo[0] = 0xA5;
        for (const Payload& p : payloads) {
            writer.writePayload(p.data());
            writer.writeRecord(
                TestCaptureWriter::frame(TestCaptureWriter::Link::Ethernet, deviceInfo.data()));
            writer.writeRecord(std::vector<std::uint8_t>(42, 0x06));
        }
    }
    QFile bytes(path);
    ASSERT_TRUE(bytes.open(QIODevice::ReadOnly));
    const QByteArray content = bytes.readAll();

    ReadOnlyFile file;
    QString error;
    ASSERT_TRUE(file.open(path, &error));
    CapturePacketStream stream(file);
    std::vector<Payload> seen;
    std::uint64_t lastDone = 0;
    const auto end = stream.run(
        [&](const std::uint8_t* payload, std::uint64_t offset) {
            EXPECT_EQ(std::memcmp(content.constData() + offset, payload, DataPacket::kSize), 0);
            seen.emplace_back();
            std::memcpy(seen.back().data(), payload, DataPacket::kSize);
            return true;
        },
        [&](std::uint64_t done, std::uint64_t) { lastDone = done; }, &error);
    EXPECT_EQ(end, CapturePacketStream::End::Complete) << error.toStdString();
    EXPECT_TRUE(seen == payloads);
    EXPECT_EQ(stream.packetCount(), payloads.size());
    EXPECT_EQ(stream.recordCount(), 3 * payloads.size());
    EXPECT_EQ(lastDone, file.size());
    EXPECT_FALSE(stream.truncatedAt());
}

TEST(CapturePacketStream, StoppingReadsNoFurtherAndAShrunkFileIsReportedWhereItWasCut) {
    // Larger than one read of the walk, cut far behind the first.
    QTemporaryDir dir;
    const QString path = dir.filePath("shrinking.pcap");
    TestPackets many;
    many.points(0, 400 * static_cast<int>(DataPacket::kGroupCount));
    const std::uint64_t lost = 300;
    const std::uint64_t cut = recordOffset(lost) + 600;
    const auto cutWhenStarted = [&](std::uint64_t index) {
        return index > 0 || QFile::resize(path, static_cast<qint64>(cut));
    };

    writeCapture(path, many.finish());
    Walk w = walk(path, cutWhenStarted);
    EXPECT_EQ(w.end, CapturePacketStream::End::Failed);
    EXPECT_EQ(w.shortenedAt, cut);
    EXPECT_EQ(w.packets, lost);
    EXPECT_TRUE(w.error.contains(QString::number(cut))) << w.error.toStdString();

    // Stopped at the second packet, the walk never reaches the cut.
    writeCapture(path, many.payloads);
    w = walk(path, [&](std::uint64_t index) { return cutWhenStarted(index) && index < 1; });
    EXPECT_EQ(w.end, CapturePacketStream::End::Stopped) << w.error.toStdString();
    EXPECT_EQ(w.packets, 2u);
    EXPECT_FALSE(w.shortenedAt);
}

TEST(CapturePacketStream, EachPacketHasItsCaptureTimeWhateverTheFileKeepsItIn) {
    using Format = TestCaptureWriter::Format;
    QTemporaryDir dir;
    TestPackets packets;
    packets.points(0, 1500); // a few packets
    const auto payloads = packets.finish();
    const struct {
        const char* name;
        TestCaptureWriter::Options options;
    } files[] = {
        {"micro.pcap", {Format::Pcap, {}, false, false, false}},
        {"nano-big-endian.pcap", {Format::PcapNanoseconds, {}, true, false, false}},
        {"micro.pcapng", {Format::Pcapng, {}, false, false, false}},
        {"nano-big-endian.pcapng", {Format::Pcapng, {}, true, false, true}},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        const QString path = dir.filePath(f.name);
        writeCapture(path, payloads, f.options);
        ReadOnlyFile file;
        QString error;
        ASSERT_TRUE(file.open(path, &error));
        CapturePacketStream stream(file);
        std::vector<std::int64_t> times;
        stream.run(
            [&](const std::uint8_t*, std::uint64_t) {
                times.push_back(stream.packetTime());
                return true;
            },
            {}, &error);
        ASSERT_EQ(times.size(), payloads.size());
        for (std::size_t i = 0; i < times.size(); ++i) {
            EXPECT_EQ(times[i], TestCaptureWriter::recordTime(i + 1)) << i;
        }
    }
}

TEST(CapturePacketStream, TimesStayRightWhereARecordHeaderEndsARead) {
    // Enough packets that record headers fall at the ends of the reads
    // that walk the file.
    TestPackets packets;
    packets.points(0, 171 * 600);
    const auto payloads = packets.finish();
    QTemporaryDir dir;
    for (const auto format :
         {TestCaptureWriter::Format::Pcap, TestCaptureWriter::Format::PcapNanoseconds}) {
        const QString path = dir.filePath("long.pcap");
        TestCaptureWriter::Options options;
        options.format = format;
        writeCapture(path, payloads, options);
        ReadOnlyFile file;
        QString error;
        ASSERT_TRUE(file.open(path, &error));
        ASSERT_GT(file.size(), 2 * FileWindow::kCapacity);
        CapturePacketStream stream(file);
        std::size_t wrong = 0;
        std::size_t n = 0;
        stream.run(
            [&](const std::uint8_t*, std::uint64_t) {
                wrong += stream.packetTime() == TestCaptureWriter::recordTime(++n) ? 0 : 1;
                return true;
            },
            {}, &error);
        EXPECT_EQ(n, payloads.size());
        EXPECT_EQ(wrong, 0u);
    }
}

TEST(CapturePacketStream, PcapngTimesCountInTheInterfacesUnitsFromItsOffset) {
    // Written by hand, little-endian: a section header, an interface whose
    // stamps count 2^-10 s (if_tsresol 0x8A) from 1,700,000,000 s after 1970
    // (if_tsoffset), and two enhanced packet blocks of it.
    const QByteArray section("\x0A\x0D\x0D\x0A\x1C\x00\x00\x00\x4D\x3C\x2B\x1A"
                             "\x01\x00\x00\x00\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"
                             "\x1C\x00\x00\x00",
                             28);
    const QByteArray interface("\x01\x00\x00\x00\x2C\x00\x00\x00" // type, length 44
                               "\x01\x00\x00\x00\x00\x00\x00\x00" // Ethernet, no snap
                               "\x09\x00\x01\x00\x8A\x00\x00\x00" // if_tsresol
                               "\x0E\x00\x08\x00\x00\xF1\x53\x65\x00\x00\x00\x00" // if_tsoffset
                               "\x00\x00\x00\x00\x2C\x00\x00\x00", // end of options, length
                               44);
    TestPackets packets;
    packets.points(0, 300); // two data packets
    const auto& payloads = packets.finish();
    ASSERT_EQ(payloads.size(), 2u);
    const auto block = [](const DataPacketWriter::Payload& payload, const char* stamp) {
        const auto frame =
            TestCaptureWriter::frame(TestCaptureWriter::Link::Ethernet, payload.data());
        // 1248 bytes of frame: 1280 in all.
        QByteArray b("\x06\x00\x00\x00\x00\x05\x00\x00\x00\x00\x00\x00", 12);
        b += QByteArray(stamp, 8); // high word, low word
        b += QByteArray("\xE0\x04\x00\x00\xE0\x04\x00\x00", 8);
        b += QByteArray(reinterpret_cast<const char*>(frame.data()), 1248);
        b += QByteArray("\x00\x05\x00\x00", 4);
        return b;
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("binary-units.pcapng");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        // 1536 units: 1.5 s; 2^32 + 512 units: 4,194,304.5 s.
        file.write(section + interface + block(payloads[0], "\x00\x00\x00\x00\x00\x06\x00\x00") +
                   block(payloads[1], "\x01\x00\x00\x00\x00\x02\x00\x00"));
    }
    ReadOnlyFile file;
    QString error;
    ASSERT_TRUE(file.open(path, &error)) << error.toStdString();
    CapturePacketStream stream(file);
    std::vector<std::int64_t> times;
    const auto end = stream.run(
        [&](const std::uint8_t*, std::uint64_t) {
            times.push_back(stream.packetTime());
            return true;
        },
        {}, &error);
    EXPECT_EQ(end, CapturePacketStream::End::Complete) << error.toStdString();
    EXPECT_EQ(times, (std::vector<std::int64_t>{1700000001500000000, 1704194304500000000}));
}
