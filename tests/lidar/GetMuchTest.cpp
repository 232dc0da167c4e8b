#include "ReceiverFixture.h"

#include <QDir>
#include <algorithm>
#include <chrono>

namespace {

int openDescriptors() {
    return static_cast<int>(QDir("/proc/self/fd").count());
}

} // namespace

using GetMuchTest = ReceiverFixture;

TEST_F(GetMuchTest, FramesArriveAsSent) {
    ASSERT_TRUE(startOn(0));
    TestPackets t;
    t.points(0, 50); // before the first marker: dropped
    t.marker();
    t.points(50, 400);
    t.marker();
    t.marker(); // an empty frame
    t.points(450, 7);
    send(t.finish());
    ASSERT_TRUE(waitUntil([this] { return frames.size() == 2; }));
    EXPECT_EQ(indicesOf(frames[0]), range(50, 400));
    EXPECT_TRUE(frames[1].empty());
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(receiver.markerCount(), 1);
}

TEST_F(GetMuchTest, DatagramsOfAnyOtherLengthChangeNothing) {
    ASSERT_TRUE(startOn(0));
    TestPackets opening;
    opening.marker();
    opening.points(0, 3);
    send(opening.finish());

    // Full of markers and points, but one byte short or long.
    TestPackets wrong;
    wrong.marker();
    wrong.points(1000, 20);
    wrong.marker();
    const auto& bad = wrong.finish()[0];
    std::vector<std::uint8_t> longer(bad.begin(), bad.end());
    longer.push_back(0);
    sendRaw(bad.data(), bad.size() - 1);
    sendRaw(longer.data(), longer.size());

    TestPackets closing;
    closing.points(3, 2);
    closing.marker();
    send(closing.finish());
    ASSERT_TRUE(waitUntil([this] { return frames.size() == 1; }));
    EXPECT_EQ(indicesOf(frames[0]), range(0, 5));
    EXPECT_EQ(receiver.datagramsAccepted(), 2u);
}

TEST_F(GetMuchTest, StopWithoutTrafficEndsPromptlyAndReleasesThePort) {
    const int before = openDescriptors();
    ASSERT_TRUE(startOn(0));
    const auto port = static_cast<std::uint16_t>(receiver.boundPort());
    const auto asked = std::chrono::steady_clock::now();
    receiver.stop = true;
    ASSERT_TRUE(receiver.wait(30000));
    const auto took = std::chrono::steady_clock::now() - asked;
    // Its receive time-out is 100 ms: without one it would wait for a
    // datagram for ever. The bound leaves room for a busy machine.
    EXPECT_LT(took, std::chrono::milliseconds(5000));
    EXPECT_FALSE(receiver.stop); // cleared for the next run
    EXPECT_EQ(openDescriptors(), before);

    UdpSocket again;
    EXPECT_TRUE(again.bindAny(port));
    again.close();
    // And the same receiver binds it again on the next start.
    frames.clear();
    receiver.start();
    ASSERT_TRUE(waitUntil([this] { return receiver.boundPort() != 0; }));
}

TEST_F(GetMuchTest, PortInUseReportsTheBindErrorAndClosesTheSocket) {
    UdpSocket blocker;
    blocker.bindAny(2368); // fails only when another program holds it: in use either way
    const int before = openDescriptors();
    receiver.port = 2368;
    QObject::connect(&receiver, &GetMuch::SendError, &context,
                     [this](const QString& e) { errors.push_back(e); });
    receiver.start();
    ASSERT_TRUE(receiver.wait(30000));
    ASSERT_TRUE(waitUntil([this] { return !errors.empty(); }));
    EXPECT_EQ(errors, std::vector<QString>{"Data Port:2368 : Bind Error"});
    EXPECT_EQ(openDescriptors(), before);
    EXPECT_FALSE(receiver.stop);
}

TEST_F(GetMuchTest, OnlyTheLow16BitsOfThePortAreBound) {
    UdpSocket probe;
    ASSERT_TRUE(probe.bindAny(0));
    const int free = probe.localPort();
    probe.close();
    ASSERT_TRUE(startOn(free + 65536));
    EXPECT_EQ(receiver.boundPort(), free);
}

TEST_F(GetMuchTest, AGroupThatCannotBeJoinedLeavesUnicastWorking) {
    ASSERT_TRUE(startOn(0, "not-a-group"));
    TestPackets t;
    t.marker();
    t.points(0, 2);
    t.marker();
    send(t.finish());
    ASSERT_TRUE(waitUntil([this] { return frames.size() == 1; }));
    EXPECT_TRUE(errors.empty());
}

TEST_F(GetMuchTest, EachSensorOnThePortIsCutOnItsOwn) {
    ASSERT_TRUE(startOn(0));
    const auto port = static_cast<std::uint16_t>(receiver.boundPort());
    UdpSocket a;
    UdpSocket b;
    ASSERT_TRUE(a.bindTo("127.0.0.2", 0));
    ASSERT_TRUE(b.bindTo("127.0.0.3", 0));
    TestPackets sa;
    TestPackets sb;
    for (int f = 0; f < 3; ++f) {
        sa.marker();
        sa.points(f * 500, 500);
        sb.marker();
        sb.points(5000 + f * 200, 200);
    }
    sa.marker();
    sb.marker();
    const auto& pa = sa.finish();
    const auto& pb = sb.finish();
    // b speaks first, then datagram by datagram in turn.
    for (std::size_t i = 0; i < std::max(pa.size(), pb.size()); ++i) {
        if (i < pb.size()) {
            ASSERT_TRUE(b.sendTo("127.0.0.1", port, pb[i].data(), pb[i].size()));
        }
        if (i < pa.size()) {
            ASSERT_TRUE(a.sendTo("127.0.0.1", port, pa[i].data(), pa[i].size()));
        }
    }
    ASSERT_TRUE(waitUntil([this] { return frames.size() == 6; }, 30000));
    const SensorId idA{0x7F000002, a.localPort()};
    const SensorId idB{0x7F000003, b.localPort()};
    std::vector<std::vector<int>> ofA;
    std::vector<std::vector<int>> ofB;
    for (const MuchLidarData& f : frames) {
        ASSERT_TRUE(f.sensor == idA || f.sensor == idB) << f.sensor.textWithPort().toStdString();
        (f.sensor == idA ? ofA : ofB).push_back(indicesOf(f));
    }
    EXPECT_EQ(ofA,
              (std::vector<std::vector<int>>{range(0, 500), range(500, 500), range(1000, 500)}));
    EXPECT_EQ(
        ofB, (std::vector<std::vector<int>>{range(5000, 200), range(5200, 200), range(5400, 200)}));
    const std::vector<SensorCounts> counts = receiver.sensorCounts();
    ASSERT_EQ(counts.size(), 2u);
    EXPECT_EQ(counts[0].sensor, idB);
    EXPECT_EQ(counts[0].datagrams, pb.size());
    EXPECT_EQ(counts[0].frames, 3u);
    EXPECT_EQ(counts[0].points, 600u);
    EXPECT_EQ(counts[1].sensor, idA);
    EXPECT_EQ(counts[1].points, 1500u);
}

TEST_F(GetMuchTest, ForgedSourcesBeyondTheBoundAreDroppedAndCounted) {
    ASSERT_TRUE(startOn(0));
    const auto port = static_cast<std::uint16_t>(receiver.boundPort());
    TestPackets t;
    t.marker();
    t.points(0, 10);
    t.marker();
    const auto& payload = t.finish()[0];
    // One datagram, holding a whole frame, from each of 20 addresses.
    constexpr int kSources = 20;
    for (int s = 0; s < kSources; ++s) {
        UdpSocket forged;
        ASSERT_TRUE(forged.bindTo("127.0.1." + std::to_string(s + 1), 0));
        ASSERT_TRUE(forged.sendTo("127.0.0.1", port, payload.data(), payload.size()));
    }
    const auto kept = static_cast<std::uint64_t>(SensorTable::kMaxSensors);
    ASSERT_TRUE(waitUntil([&] { return receiver.totals().sensorBound == kSources - kept; }, 30000));
    ASSERT_TRUE(waitUntil([&] { return frames.size() == kept; }, 30000));
    EXPECT_EQ(receiver.datagramsAccepted(), kept);
    const std::vector<SensorCounts> counts = receiver.sensorCounts();
    ASSERT_EQ(counts.size(), kept);
    EXPECT_EQ(counts.front().sensor.text(), "127.0.1.1");
    EXPECT_EQ(counts.back().sensor.text(), "127.0.1.16");
    EXPECT_EQ(frames.back().sensor.text(), "127.0.1.16");
}
