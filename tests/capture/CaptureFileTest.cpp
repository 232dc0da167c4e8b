#include "SampleCapture.h"
#include "capture/CapturePacketReader.h"
#include "capture/LinkLayer.h"

#include <QDir>
#include <QFile>
#include <cstring>
#include <pcap/pcap.h>

namespace {

using Format = TestCaptureWriter::Format;
using Link = TestCaptureWriter::Link;
using Payload = DataPacketWriter::Payload;

// The data payloads as libpcap's own reader finds them.
std::vector<Payload> payloadsReadByLibpcap(const QString& path, std::uint64_t* records) {
    char error[PCAP_ERRBUF_SIZE] = {};
    pcap_t* handle = pcap_open_offline(QFile::encodeName(path).constData(), error);
    EXPECT_NE(handle, nullptr) << error;
    std::vector<Payload> result;
    *records = 0;
    if (!handle) {
        return result;
    }
    pcap_pkthdr* header = nullptr;
    const u_char* data = nullptr;
    while (pcap_next_ex(handle, &header, &data) == 1) {
        ++*records;
        const auto linkType = static_cast<std::uint32_t>(pcap_datalink(handle));
        if (const std::uint8_t* p = LinkLayer::dataPayload(linkType, data, header->caplen)) {
            Payload copy;
            std::memcpy(copy.data(), p, copy.size());
            result.push_back(copy);
        }
    }
    pcap_close(handle);
    return result;
}

// Data packets with other traffic between them: device information, a
// datagram one byte short, and a frame of another protocol.
void writeMixed(const QString& path, const std::vector<Payload>& payloads,
                const TestCaptureWriter::Options& options) {
    TestCaptureWriter writer(path.toStdString(), options);
    std::vector<std::uint8_t> deviceInfo(DataPacket::kSize, 0);
    deviceInfo[0] = 0xA5;
    deviceInfo[1] = 0xFF;
    const std::vector<std::uint8_t> arp(42, 0x06);
    for (std::size_t i = 0; i < payloads.size(); ++i) {
        writer.writePayload(payloads[i].data());
        if (i % 3 == 0) {
            writer.writeRecord(TestCaptureWriter::frame(options.link, deviceInfo.data()));
            writer.writeRecord(
                TestCaptureWriter::frame(options.link, payloads[i].data(), DataPacket::kSize - 1));
            writer.writeRecord(arp);
        }
    }
    writer.close();
    ASSERT_TRUE(writer.ok());
}

class CaptureFileTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }

    QString writeBytes(const QString& name, const QByteArray& bytes) const {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    QByteArray readBytes(const QString& file) const {
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(CaptureFileTest, MarkersCountOnlyAtGroupBoundaries) {
    TestPackets t;
    t.points(0, 5);
    t.marker(); // packet 0, group 5
    t.points(5, 164);
    t.marker(); // packet 0, group 170, the last one
    t.points(169, 10);
    t.marker(); // packet 1, twice
    t.marker();
    t.points(179, 10);
    auto payloads = t.finish();
    ASSERT_EQ(payloads.size(), 2u);
    // The marker bytes inside the point data of group 8 and in the trailer.
    auto& p = payloads[1];
    p[8 * 7 + 2] = 0xFF;
    p[8 * 7 + 3] = 0xAA;
    p[8 * 7 + 4] = 0xBB;
    p[1200] = 0xFF;
    p[1201] = 0xAA;
    p[1202] = 0xBB;
    writeCapture(path("markers.pcap"), payloads);
    const auto capture = openCapture(path("markers.pcap"));
    ASSERT_TRUE(capture);
    EXPECT_EQ(capture->capturePacketCount(), 2);
    EXPECT_EQ(capture->captureFrameCount(), 4);
    EXPECT_EQ(capture->frameStartPackets(), (std::vector<std::int32_t>{0, 0, 1, 1}));
}

TEST_F(CaptureFileTest, EveryFormatAndLinkTypeGivesTheSamePacketsAndFrames) {
    const auto sample = SampleCapture::standard();
    const auto& payloads = sample->packets.payloads;
    struct Variant {
        const char* name;
        TestCaptureWriter::Options options;
    };
    const Variant variants[] = {
        {"pcap", {Format::Pcap, Link::Ethernet, false, false}},
        {"pcap nanoseconds", {Format::PcapNanoseconds, Link::Ethernet, false, false}},
        {"pcap big-endian", {Format::Pcap, Link::Ethernet, true, false}},
        {"pcap nanoseconds big-endian", {Format::PcapNanoseconds, Link::Ethernet, true, false}},
        {"pcapng", {Format::Pcapng, Link::Ethernet, false, false}},
        {"pcapng big-endian", {Format::Pcapng, Link::Ethernet, true, false}},
        {"pcapng simple packets", {Format::Pcapng, Link::Ethernet, false, true}},
        {"pcap SLL", {Format::Pcap, Link::Sll, false, false}},
        {"pcap SLL2", {Format::Pcap, Link::Sll2, false, false}},
        {"pcapng SLL2 big-endian", {Format::Pcapng, Link::Sll2, true, false}},
        {"pcap VLAN", {Format::Pcap, Link::Vlan, false, false}},
        {"pcapng 802.1ad", {Format::Pcapng, Link::QinQ, false, false}},
    };
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.name);
        const QString file = path(QStringLiteral("%1.cap").arg(v.name));
        writeMixed(file, payloads, v.options);
        const auto capture = openCapture(file);
        ASSERT_TRUE(capture);
        EXPECT_EQ(payloadsOf(*capture), payloads);
        EXPECT_EQ(
            capture->frameStartPackets(),
            std::vector<std::int32_t>(sample->markerPackets.begin(), sample->markerPackets.end()));
        // libpcap reads the same records and finds the same data in them.
        std::uint64_t records = 0;
        EXPECT_EQ(payloadsReadByLibpcap(file, &records), payloads);
        EXPECT_EQ(capture->recordCount(), records);
    }
}

TEST_F(CaptureFileTest, PcapngInterfacesAndSectionsKeepTheirOwnLinkTypeAndByteOrder) {
    const auto sample = SampleCapture::standard();
    const auto& payloads = sample->packets.payloads;
    const QString file = path("sections.pcapng");
    {
        TestCaptureWriter writer(file.toStdString(),
                                 {Format::Pcapng, Link::Ethernet, false, false});
        const int sll = writer.addInterface(TestCaptureWriter::linkType(Link::Sll));
        const int wifi = writer.addInterface(105);
        const std::size_t half = payloads.size() / 2;
        for (std::size_t i = 0; i < half; ++i) {
            const Link link = i % 2 ? Link::Sll : Link::Ethernet;
            writer.writeRecord(TestCaptureWriter::frame(link, payloads[i].data()), i % 2 ? sll : 0);
            // Valid data bytes, but on an interface whose frames are not read.
            writer.writeRecord(TestCaptureWriter::frame(Link::Ethernet, payloads[i].data()), wifi);
        }
        // A new section in the other byte order with one SLL2 interface.
        writer.startSection(true);
        writer.addInterface(TestCaptureWriter::linkType(Link::Sll2));
        for (std::size_t i = half; i < payloads.size(); ++i) {
            writer.writeRecord(TestCaptureWriter::frame(Link::Sll2, payloads[i].data()));
        }
        writer.close();
        ASSERT_TRUE(writer.ok());
    }
    const auto capture = openCapture(file);
    ASSERT_TRUE(capture);
    EXPECT_EQ(payloadsOf(*capture), payloads);
    EXPECT_EQ(capture->captureFrameCount(), static_cast<int>(sample->markerPackets.size()));
}

TEST_F(CaptureFileTest, CaptureDumpedByLibpcapLoads) {
    const auto sample = SampleCapture::standard();
    const auto& payloads = sample->packets.payloads;
    const QString file = path("dumped.pcap");
    pcap_t* dead = pcap_open_dead(DLT_EN10MB, 65535);
    ASSERT_NE(dead, nullptr);
    pcap_dumper_t* dumper = pcap_dump_open(dead, QFile::encodeName(file).constData());
    ASSERT_NE(dumper, nullptr) << pcap_geterr(dead);
    for (const Payload& p : payloads) {
        const auto frame = TestCaptureWriter::frame(Link::Ethernet, p.data());
        pcap_pkthdr header{};
        header.caplen = static_cast<bpf_u_int32>(frame.size());
        header.len = header.caplen;
        pcap_dump(reinterpret_cast<u_char*>(dumper), &header, frame.data());
    }
    pcap_dump_close(dumper);
    pcap_close(dead);

    const auto capture = openCapture(file);
    ASSERT_TRUE(capture);
    EXPECT_EQ(payloadsOf(*capture), payloads);
    EXPECT_EQ(capture->captureFrameCount(), 6);
}

TEST_F(CaptureFileTest, PacketOffsetsPointAtThePayloadsInTheFile) {
    const auto sample = SampleCapture::standard();
    writeCapture(path("offsets.pcap"), sample->packets.payloads);
    const auto capture = openCapture(path("offsets.pcap"));
    ASSERT_TRUE(capture);
    EXPECT_EQ(capture->fileSize(), static_cast<std::uint64_t>(QFile(path("offsets.pcap")).size()));
    // Record i of the file starts at 24 + i * (16 + 1248); its payload 42 bytes later.
    for (int i = 0; i < capture->capturePacketCount(); ++i) {
        EXPECT_EQ(capture->packetOffsets()[static_cast<std::size_t>(i)],
                  24u + i * (16 + 1248) + 16 + 42);
    }
}

TEST_F(CaptureFileTest, ProgressRisesToTheFileSize) {
    const auto sample = SampleCapture::standard();
    writeCapture(path("progress.pcap"), sample->packets.payloads);
    std::vector<std::pair<std::uint64_t, std::uint64_t>> calls;
    QString error;
    const auto capture = CaptureFile::open(
        path("progress.pcap"), &error,
        [&](std::uint64_t done, std::uint64_t total) { calls.emplace_back(done, total); });
    ASSERT_TRUE(capture);
    ASSERT_GE(calls.size(), 2u);
    const std::uint64_t size = capture->fileSize();
    for (std::size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].second, size);
        EXPECT_LE(calls[i].first, size);
        if (i > 0) {
            EXPECT_GE(calls[i].first, calls[i - 1].first);
        }
    }
    EXPECT_EQ(calls.back().first, size);
}

TEST_F(CaptureFileTest, UnreadableFilesGiveATextNamingTheFileAndTheReason) {
    const auto sample = SampleCapture::standard();
    writeCapture(path("good.pcap"), sample->packets.payloads);
    const QByteArray good = readBytes(path("good.pcap"));
    writeCapture(path("good.pcapng"), sample->packets.payloads,
                 {Format::Pcapng, Link::Ethernet, false, false});
    const QByteArray goodNg = readBytes(path("good.pcapng"));

    auto withU32 = [](QByteArray bytes, int offset, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            bytes[offset + i] = static_cast<char>(value >> (8 * i));
        }
        return bytes;
    };
    // In the pcapng file: SHB (28 bytes), IDB (20), then the first EPB.
    const int firstEpb = 48;
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* expected;
    };
    const Case cases[] = {
        {"empty", QByteArray(), "empty"},
        {"three bytes", QByteArray("\xD4\xC3\xB2", 3), "not a capture"},
        {"text", QByteArray("Just some notes, not a capture at all.\n"), "not a capture"},
        {"half a pcap header", good.left(20), "truncated"},
        {"cut in the first record", good.left(24 + 1000), "truncated"},
        {"record length past the end", withU32(good, 24 + 8, 0xFFFFFFF0u), "truncated"},
        {"pcap version 3", withU32(good, 4, 3), "version"},
        {"pcapng block length too small", withU32(goodNg, firstEpb + 4, 8), "damaged"},
        {"pcapng block length past the end", withU32(goodNg, firstEpb + 4, 0x7FFFFFF0u),
         "truncated"},
        {"pcapng packet longer than its block", withU32(goodNg, firstEpb + 20, 5000), "damaged"},
        {"pcapng packet of an undeclared interface", withU32(goodNg, firstEpb + 8, 3), "damaged"},
        {"no data packets", good.left(24), "no data packet"},
        {"unsupported link type", withU32(good, 20, 105), "link type 105"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = writeBytes(QStringLiteral("%1.pcap").arg(c.name), c.bytes);
        QString error;
        EXPECT_EQ(CaptureFile::open(file, &error), nullptr);
        EXPECT_TRUE(error.contains(QDir::toNativeSeparators(file))) << error.toStdString();
        EXPECT_TRUE(error.contains(c.expected, Qt::CaseInsensitive)) << error.toStdString();
    }

    QString error;
    EXPECT_EQ(CaptureFile::open(path("missing.pcap"), &error), nullptr);
    EXPECT_FALSE(error.isEmpty());
    error.clear();
    EXPECT_EQ(CaptureFile::open(dir.path(), &error), nullptr);
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(CaptureFileTest, ACaptureCutShortOpensWithThePacketsBeforeTheCut) {
    const auto sample = SampleCapture::standard();
    const auto& payloads = sample->packets.payloads;
    writeCapture(path("whole.pcap"), payloads);
    const QByteArray pcap = readBytes(path("whole.pcap"));
    writeCapture(path("whole.pcapng"), payloads, {Format::Pcapng, Link::Ethernet, false, false});
    const QByteArray pcapng = readBytes(path("whole.pcapng"));
    // pcap: 24-byte file header, 1264-byte records; pcapng: 48 bytes of
    // section and interface, 1280-byte packet blocks.
    const auto pcapRecord = [](int k) { return 24 + k * 1264; };
    const auto pcapngBlock = [](int k) { return 48 + k * 1280; };
    struct Case {
        const char* name;
        QByteArray bytes;
        int packetsKept;
        int cutRecord;
    };
    const Case cases[] = {
        {"pcap cut in a record header", pcap.left(pcapRecord(11) + 10), 11, pcapRecord(11)},
        {"pcap cut in a record", pcap.left(pcapRecord(12) + 700), 12, pcapRecord(12)},
        {"pcap cut in the last record", pcap.left(pcap.size() - 1),
         static_cast<int>(payloads.size()) - 1, pcapRecord(static_cast<int>(payloads.size()) - 1)},
        {"pcapng cut in a block header", pcapng.left(pcapngBlock(3) + 6), 3, pcapngBlock(3)},
        {"pcapng cut in a block", pcapng.left(pcapngBlock(11) + 1270), 11, pcapngBlock(11)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = writeBytes(QStringLiteral("%1.cap").arg(c.name), c.bytes);
        const auto capture = openCapture(file);
        ASSERT_TRUE(capture);
        const std::vector<Payload> kept(payloads.begin(), payloads.begin() + c.packetsKept);
        EXPECT_EQ(payloadsOf(*capture), kept);
        std::vector<std::int32_t> markers;
        for (int m : sample->markerPackets) {
            if (m < c.packetsKept) {
                markers.push_back(m);
            }
        }
        EXPECT_EQ(capture->frameStartPackets(), markers);
        ASSERT_TRUE(capture->truncatedAt().has_value());
        EXPECT_EQ(*capture->truncatedAt(), static_cast<std::uint64_t>(c.cutRecord));
        const QString notice = capture->truncationNotice();
        EXPECT_TRUE(notice.contains(QDir::toNativeSeparators(file))) << notice.toStdString();
        EXPECT_TRUE(notice.contains(QStringLiteral("truncated at byte %1").arg(c.cutRecord)))
            << notice.toStdString();
        EXPECT_TRUE(notice.contains(QStringLiteral("The %1 data packets").arg(c.packetsKept)))
            << notice.toStdString();
    }

    // Cut at a record boundary, a file is whole: nothing to tell.
    const QString whole = writeBytes("boundary.pcap", pcap.left(pcapRecord(12)));
    const auto capture = openCapture(whole);
    ASSERT_TRUE(capture);
    EXPECT_EQ(capture->capturePacketCount(), 12);
    EXPECT_FALSE(capture->truncatedAt().has_value());
    EXPECT_TRUE(capture->truncationNotice().isEmpty());
}
