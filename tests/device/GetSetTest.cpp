#include "GetSetFixture.h"

#include <QDir>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>

namespace {

int openDescriptors() {
    return static_cast<int>(QDir("/proc/self/fd").count());
}

} // namespace

using GetSetTest = GetSetFixture;

TEST_F(GetSetTest, APacketGivesItsReportThenStatusRawBytesAndVersion) {
    ASSERT_TRUE(startOn(0));
    InfoTestPacket p = InfoTestPacket::plausible();
    p.put(1198, {0x07, 0xE4, 0x0B, 0x17, 0x21, 0x05});
    send(p);
    ASSERT_TRUE(waitUntil([this] { return order.size() == 4; }));
    EXPECT_EQ(order, (std::vector<std::string>{"report", "status", "raw", "version"}));
    EXPECT_EQ(reports[0].sender, (AddressBytes{127, 0, 0, 1}));
    EXPECT_EQ(reports[0].packet, p.bytes);
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
    ASSERT_TRUE(waitUntil([this] { return order.size() == 4; }));
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
    ASSERT_TRUE(waitUntil([this] { return order.size() == 4; }));
    EXPECT_TRUE(errors.empty());
}

TEST_F(GetSetTest, EachSensorsLatestPacketIsKeptUpToTheBound) {
    ASSERT_TRUE(startOn(0));
    // Sensors are told apart by the address their packets come from, not by
    // what the packets say: all of these report 127.0.0.1.
    std::vector<std::unique_ptr<UdpSocket>> sensors;
    constexpr int kSenders = SensorReports::kMaxSensors + 4;
    for (int i = 0; i < kSenders; ++i) {
        sensors.push_back(std::make_unique<UdpSocket>());
        ASSERT_TRUE(sensors.back()->bindTo("127.0.1." + std::to_string(i + 1), 0));
    }
    const auto sendFrom = [this](UdpSocket& s, int rpm) {
        const InfoTestPacket p = InfoTestPacket::plausible().putBe16(8, rpm);
        ASSERT_TRUE(s.sendTo("127.0.0.1", static_cast<std::uint16_t>(receiver.boundPort()),
                             p.bytes.data(), p.bytes.size()));
    };
    for (int i = 0; i < kSenders; ++i) {
        sendFrom(*sensors[static_cast<std::size_t>(i)], 100 + i);
    }
    // Known senders are still heard once the table is full; loopback keeps
    // the order, so the last one delivered ends the wait.
    sendFrom(*sensors[0], 900);
    ASSERT_TRUE(waitUntil(
        [this] { return !reports.empty() && reports.back().status().motorRpm == 900; }, 30000));
    EXPECT_EQ(reports.size(), SensorReports::kMaxSensors + 1);
    EXPECT_EQ(receiver.droppedReports(), 4u);
    for (std::size_t i = 0; i < SensorReports::kMaxSensors; ++i) {
        EXPECT_EQ(reports[i].sender, (AddressBytes{127, 0, 1, static_cast<std::uint8_t>(i + 1)}));
    }
    // The status signals follow the same bound.
    EXPECT_EQ(records.size(), SensorReports::kMaxSensors + 1);

    const std::vector<DeviceReport> kept = receiver.sensors();
    ASSERT_EQ(kept.size(), SensorReports::kMaxSensors);
    EXPECT_EQ(+kept[0].status().motorRpm, 900);
    EXPECT_EQ(+kept[1].status().motorRpm, 101);
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
    ASSERT_TRUE(waitUntil([this] { return order.size() == 4; }));
    EXPECT_TRUE(errors.empty());
}
