#include "capture/LinkLayer.h"
#include "support/TestCaptureWriter.h"

#include <gtest/gtest.h>

namespace {

using Link = TestCaptureWriter::Link;

std::vector<std::uint8_t> payload(std::uint8_t first, std::uint8_t second) {
    std::vector<std::uint8_t> p(DataPacket::kSize, 0x11);
    p[0] = first;
    p[1] = second;
    return p;
}

std::vector<std::uint8_t> frameFor(Link link, const std::vector<std::uint8_t>& p) {
    return TestCaptureWriter::frame(link, p.data(), p.size());
}

const std::uint8_t* find(Link link, const std::vector<std::uint8_t>& frame) {
    return LinkLayer::dataPayload(TestCaptureWriter::linkType(link), frame.data(), frame.size());
}

} // namespace

TEST(DataPacketTest, FirstTwoPayloadBytesDecideForEveryLinkType) {
    struct Case {
        std::uint8_t first, second;
        bool data;
    };
    const Case cases[] = {
        {0x00, 0x10, true},  {0xFF, 0x00, true},  // a payload opening with an empty group
        {0xFF, 0xAA, true},                       // or with a marker
        {0xA4, 0xFE, true},  {0xA5, 0xFF, false}, // device information
        {0xA5, 0x00, false}, {0x10, 0xFF, false}, {0xFF, 0xFF, false},
    };
    for (Link link : {Link::Ethernet, Link::Vlan, Link::QinQ, Link::Sll, Link::Sll2}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << "link " << static_cast<int>(link) << " payload "
                                            << int{c.first} << " " << int{c.second});
            const auto p = payload(c.first, c.second);
            const auto frame = frameFor(link, p);
            const std::uint8_t* found = find(link, frame);
            EXPECT_EQ(found != nullptr, c.data);
            if (found) {
                EXPECT_EQ(found, frame.data() + frame.size() - DataPacket::kSize);
            }
        }
    }
}

TEST(DataPacketTest, OnlyAWholeUdpPayloadIsData) {
    for (Link link : {Link::Ethernet, Link::Vlan, Link::Sll, Link::Sll2}) {
        SCOPED_TRACE(static_cast<int>(link));
        const auto shorter = std::vector<std::uint8_t>(DataPacket::kSize - 1, 0x11);
        const auto longer = std::vector<std::uint8_t>(DataPacket::kSize + 1, 0x11);
        EXPECT_EQ(find(link, frameFor(link, shorter)), nullptr);
        EXPECT_EQ(find(link, frameFor(link, longer)), nullptr);
        // A record cut short by the capture's snapshot length.
        auto cut = frameFor(link, payload(0, 0));
        cut.resize(cut.size() - 1);
        EXPECT_EQ(find(link, cut), nullptr);
        // Only the link header.
        cut.resize(14);
        EXPECT_EQ(find(link, cut), nullptr);
    }
}

TEST(DataPacketTest, UntaggedEthernetLooksAtLengthAndPayloadOnly) {
    // As recorded files have always been read: ports, addresses and
    // protocol fields of an untagged 1248-byte frame are not examined.
    auto frame = frameFor(Link::Ethernet, payload(0, 0));
    ASSERT_EQ(frame.size(), LinkLayer::kEthernetDataFrame);
    frame[12] = 0x86; // IPv6 EtherType
    frame[13] = 0xDD;
    frame[23] = 6; // TCP
    EXPECT_EQ(find(Link::Ethernet, frame), frame.data() + 42);
}

TEST(DataPacketTest, BehindTagsAndCookedHeadersTheDatagramMustBeUdpOverIpv4) {
    for (Link link : {Link::Vlan, Link::Sll, Link::Sll2}) {
        SCOPED_TRACE(static_cast<int>(link));
        const auto good = frameFor(link, payload(0, 0));
        const std::size_t ip = good.size() - DataPacket::kSize - 28;
        ASSERT_NE(find(link, good), nullptr);

        auto tcp = good;
        tcp[ip + 9] = 6;
        EXPECT_EQ(find(link, tcp), nullptr);

        auto fragment = good;
        fragment[ip + 6] = 0x20; // more fragments follow
        EXPECT_EQ(find(link, fragment), nullptr);

        auto udpLength = good;
        udpLength[ip + 20 + 5] ^= 1;
        EXPECT_EQ(find(link, udpLength), nullptr);

        auto version6 = good;
        version6[ip] = 0x65;
        EXPECT_EQ(find(link, version6), nullptr);

        auto arp = good;
        const std::size_t etherType = link == Link::Sll2 ? 0 : ip - 2;
        arp[etherType] = 0x08;
        arp[etherType + 1] = 0x06;
        EXPECT_EQ(find(link, arp), nullptr);
    }
}

TEST(DataPacketTest, IpOptionsMoveThePayload) {
    auto frame = frameFor(Link::Sll, payload(0, 0));
    const std::size_t ip = 16;
    // Four bytes of options (NOPs) make a 24-byte IPv4 header.
    frame.insert(frame.begin() + ip + 20, {1, 1, 1, 1});
    frame[ip] = 0x46;
    const std::size_t total = 24 + 8 + DataPacket::kSize;
    frame[ip + 2] = static_cast<std::uint8_t>(total >> 8);
    frame[ip + 3] = static_cast<std::uint8_t>(total);
    EXPECT_EQ(find(Link::Sll, frame), frame.data() + ip + 24 + 8);
}

TEST(DataPacketTest, TheSenderOfADataPacketIsFoundForEveryLinkType) {
    const auto p = payload(0x00, 0x10);
    const TestCaptureWriter::Source from{0x0A000002, 5001}; // 10.0.0.2:5001
    for (Link link : {Link::Ethernet, Link::Vlan, Link::QinQ, Link::Sll, Link::Sll2}) {
        SCOPED_TRACE(static_cast<int>(link));
        const auto frame = TestCaptureWriter::frame(link, p.data(), p.size(), from);
        const LinkLayer::DataDatagram found =
            LinkLayer::dataDatagram(TestCaptureWriter::linkType(link), frame.data(), frame.size());
        ASSERT_NE(found.payload, nullptr);
        EXPECT_EQ(found.source, (SensorId{0x0A000002, 5001}));
    }
}
