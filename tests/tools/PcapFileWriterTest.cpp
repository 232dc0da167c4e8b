#include "tools/sim/PcapFileWriter.h"
#include "net/UdpSocket.h"
#include "tools/sim/EthernetUdpFrame.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <pcap/pcap.h>

namespace {

std::uint16_t be16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] << 8 | p[1]);
}

std::vector<std::uint8_t> payloadOf(int seed) {
    std::vector<std::uint8_t> payload(1206);
    for (std::size_t i = 0; i < payload.size(); ++i) {
        payload[i] = static_cast<std::uint8_t>(i * 31 + seed);
    }
    return payload;
}

EthernetUdpFrame::Endpoints endpoints() {
    EthernetUdpFrame::Endpoints e;
    UdpSocket::parseAddress("192.168.1.200", e.sourceAddress);
    UdpSocket::parseAddress("192.168.1.102", e.destinationAddress);
    e.sourcePort = 2368;
    e.destinationPort = 2369;
    return e;
}

} // namespace

TEST(EthernetUdpFrame, InternetChecksumOfAKnownSequence) {
    // The worked example of the one's-complement sum: 00 01 f2 03 f4 f5 f6 f7.
    const std::uint8_t bytes[] = {0x00, 0x01, 0xf2, 0x03, 0xf4, 0xf5, 0xf6, 0xf7};
    EXPECT_EQ(EthernetUdpFrame::fold(EthernetUdpFrame::onesComplementSum(bytes, 8)), 0xddf2);
    // An odd length pads with a zero byte.
    const std::uint8_t odd[] = {0x12, 0x34, 0x56};
    EXPECT_EQ(EthernetUdpFrame::fold(EthernetUdpFrame::onesComplementSum(odd, 3)), 0x6834);
}

TEST(EthernetUdpFrame, HeadersDescribeTheDatagramAndChecksumsVerify) {
    const auto payload = payloadOf(3);
    const auto frame = EthernetUdpFrame::build(endpoints(), 0x1234, payload.data(), payload.size());
    ASSERT_EQ(frame.size(), 1248u);
    EXPECT_EQ(be16(&frame[12]), 0x0800); // IPv4

    const std::uint8_t* ip = &frame[14];
    EXPECT_EQ(ip[0], 0x45);
    EXPECT_EQ(be16(ip + 2), 1234); // 20 + 8 + 1206
    EXPECT_EQ(be16(ip + 4), 0x1234);
    EXPECT_EQ(ip[9], 17);
    EXPECT_EQ(std::vector<std::uint8_t>(ip + 12, ip + 20),
              (std::vector<std::uint8_t>{192, 168, 1, 200, 192, 168, 1, 102}));
    // A header with a correct checksum sums to all ones.
    EXPECT_EQ(EthernetUdpFrame::fold(EthernetUdpFrame::onesComplementSum(ip, 20)), 0xFFFF);

    const std::uint8_t* udp = ip + 20;
    EXPECT_EQ(be16(udp), 2368);
    EXPECT_EQ(be16(udp + 2), 2369);
    EXPECT_EQ(be16(udp + 4), 1214);
    std::uint32_t sum = EthernetUdpFrame::onesComplementSum(ip + 12, 8) + 17 + 1214;
    sum = EthernetUdpFrame::onesComplementSum(udp, 1214, sum);
    EXPECT_EQ(EthernetUdpFrame::fold(sum), 0xFFFF);
    EXPECT_TRUE(std::equal(payload.begin(), payload.end(), udp + 8));
}

TEST(PcapFileWriter, WritesAClassicCaptureThatLibpcapReads) {
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/out.pcap").toStdString();
    PcapFileWriter writer;
    ASSERT_TRUE(writer.open(path)) << writer.error();
    std::vector<std::vector<std::uint8_t>> frames;
    for (int i = 0; i < 5; ++i) {
        const auto payload = payloadOf(i);
        frames.push_back(EthernetUdpFrame::build(endpoints(), static_cast<std::uint16_t>(i),
                                                 payload.data(), payload.size()));
        ASSERT_TRUE(writer.write(frames.back().data(), frames.back().size(),
                                 1700000000LL * 1000000 + i * 100000 + 7));
    }
    ASSERT_TRUE(writer.close()) << writer.error();

    // File header: microsecond magic in host order, version 2.4, Ethernet.
    QFile raw(QString::fromStdString(path));
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QByteArray bytes = raw.readAll();
    ASSERT_EQ(bytes.size(), 24 + 5 * (16 + 1248));
    std::uint32_t header[6];
    std::memcpy(header, bytes.constData(), sizeof header);
    EXPECT_EQ(header[0], 0xa1b2c3d4u);
    EXPECT_EQ(header[1], 2u | 4u << 16);
    EXPECT_EQ(header[5], 1u); // DLT_EN10MB

    char error[PCAP_ERRBUF_SIZE];
    pcap_t* in = pcap_open_offline(path.c_str(), error);
    ASSERT_NE(in, nullptr) << error;
    EXPECT_EQ(pcap_datalink(in), DLT_EN10MB);
    pcap_pkthdr* record = nullptr;
    const u_char* data = nullptr;
    int count = 0;
    while (pcap_next_ex(in, &record, &data) == 1) {
        ASSERT_LT(count, 5);
        EXPECT_EQ(record->caplen, 1248u);
        EXPECT_EQ(record->len, 1248u);
        EXPECT_EQ(record->ts.tv_sec, 1700000000);
        EXPECT_EQ(record->ts.tv_usec, count * 100000 + 7);
        EXPECT_TRUE(std::equal(frames[count].begin(), frames[count].end(), data));
        ++count;
    }
    pcap_close(in);
    EXPECT_EQ(count, 5);
}

TEST(PcapFileWriter, ReportsFilesItCannotWrite) {
    PcapFileWriter writer;
    EXPECT_FALSE(writer.open("/nonexistent-dir/out.pcap"));
    EXPECT_FALSE(writer.error().empty());
    const std::uint8_t byte = 0;
    EXPECT_FALSE(writer.write(&byte, 1, 0));

    // A full device takes the header into its buffer and fails on flush.
    ASSERT_TRUE(writer.open("/dev/full"));
    std::vector<std::uint8_t> frame(1248);
    bool failed = false;
    for (int i = 0; i < 100 && !failed; ++i) {
        failed = !writer.write(frame.data(), frame.size(), 0);
    }
    failed = !writer.close() || failed;
    EXPECT_TRUE(failed);
    EXPECT_FALSE(writer.error().empty());
}
