#include "GetSetFixture.h"

#include <QDir>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

int openDescriptors() {
    return static_cast<int>(QDir("/proc/self/fd").count());
}

} // namespace

using GetSetTest = GetSetFixture;

TEST_F(GetSetTest, APacketGivesStatusRawBytesAndVersionInThatOrder) {
    ASSERT_TRUE(startOn(0));
    InfoTestPacket p = InfoTestPacket::plausible();
    p.put(1198, {0x07, 0xE4, 0x0B, 0x17, 0x21, 0x05});
    send(p);
    ASSERT_TRUE(waitUntil([this] { return order.size() == 3; }));
    EXPECT_EQ(order, (std::vector<std::string>{"status", "raw", "version"}));
    EXPECT_EQ(+records[0].motorRpm, 600);
    EXPECT_EQ(ports[0], (std::vector<int>{0, 10, 53, 0, 30, 83, 2368, 2369}));
    EXPECT_EQ(packets[0], p.toByteArray());
    EXPECT_EQ(versions[0], "2020.11.23-V2.1.05");
    EXPECT_TRUE(errors.empty());
}

TEST_F(GetSetTest, WrongSizesAndIdentificationBytesGiveNoSignal) {
    ASSERT_TRUE(startOn(0));
    InfoTestPacket p = InfoTestPacket::plausible();
    std::vector<std::uint8_t> longer(p.bytes.begin(), p.bytes.end());
    longer.push_back(0);
    send(p.bytes.data(), 1205);
    send(longer.data(), longer.size());
    send(InfoTestPacket(p).put(0, {0xA5, 0x00}));
    send(InfoTestPacket(p).put(0, {0x00, 0xFF}));
    // Loopback keeps the order: once the good packet, sent last, is
    // delivered, the others have been looked at.
    send(InfoTestPacket(p).putBe16(8, 1200));
    ASSERT_TRUE(waitUntil([this] { return order.size() == 3; }));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(+records[0].motorRpm, 1200);
}

TEST_F(GetSetTest, EachDeliveryKeepsTheValuesOfItsOwnPacket) {
    // The receiver runs ahead of the test's event loop: every packet is
    // accepted before the first queued delivery is looked at.
    std::atomic<int> emitted{0};
    QObject::connect(
        &receiver, &GetSet::SendMasterPanelVersion, &context, [&emitted] { ++emitted; },
        Qt::DirectConnection);
    ASSERT_TRUE(startOn(0));
    constexpr int kPackets = 40;
    for (int i = 0; i < kPackets; ++i) {
        send(InfoTestPacket::plausible(static_cast<std::uint8_t>(i)).putBe16(8, 1000 + i));
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (emitted < kPackets && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
    }
    ASSERT_EQ(emitted, kPackets);
    ASSERT_TRUE(waitUntil([this] { return versions.size() == kPackets; }));
    for (int i = 0; i < kPackets; ++i) {
        const InfoTestPacket sent =
            InfoTestPacket::plausible(static_cast<std::uint8_t>(i)).putBe16(8, 1000 + i);
        EXPECT_EQ(+records[static_cast<std::size_t>(i)].motorRpm, 1000 + i);
        EXPECT_EQ(packets[static_cast<std::size_t>(i)], sent.toByteArray()) << "packet " << i;
        EXPECT_EQ(versions[static_cast<std::size_t>(i)],
                  DeviceInfoPacket::mainBoardVersionText(sent.span()));
    }
}

TEST_F(GetSetTest, AGroupThatCannotBeJoinedLeavesUnicastWorking) {
    ASSERT_TRUE(startOn(0, ""));
    send(InfoTestPacket::plausible());
    ASSERT_TRUE(waitUntil([this] { return order.size() == 3; }));
    EXPECT_TRUE(errors.empty());
}

TEST_F(GetSetTest, PortInUseReportsTheBindErrorAndEnds) {
    UdpSocket blocker;
    ASSERT_TRUE(blocker.bindAny(0));
    const int port = blocker.localPort();
    const int before = openDescriptors();
    receiver.port = port;
    connectAll();
    receiver.start();
    ASSERT_TRUE(receiver.wait(30000));
    ASSERT_TRUE(waitUntil([this] { return !errors.empty(); }));
    EXPECT_EQ(errors, std::vector<QString>{QString("Equi Port:%1 : Bind Error").arg(port)});
    EXPECT_TRUE(order.empty());
    EXPECT_EQ(openDescriptors(), before);
}

TEST_F(GetSetTest, StopWithoutTrafficEndsPromptlyAndTheNextStartBindsAgain) {
    const int before = openDescriptors();
    ASSERT_TRUE(startOn(0));
    const int port = receiver.boundPort();
    const auto asked = std::chrono::steady_clock::now();
    receiver.stop = true;
    ASSERT_TRUE(receiver.wait(30000));
    // Its receive time-out is 100 ms: without one it would wait for a
    // datagram for ever. The bound leaves room for a busy machine.
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(5000));
    EXPECT_FALSE(receiver.stop);
    EXPECT_EQ(receiver.boundPort(), 0);
    EXPECT_EQ(openDescriptors(), before);

    receiver.port = port;
    receiver.start();
    ASSERT_TRUE(waitUntil([this] { return receiver.boundPort() != 0; }));
    EXPECT_EQ(receiver.boundPort(), port);
    send(InfoTestPacket::plausible());
    ASSERT_TRUE(waitUntil([this] { return order.size() == 3; }));
    EXPECT_TRUE(errors.empty());
}
