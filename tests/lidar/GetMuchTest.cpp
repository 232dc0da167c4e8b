#include "ReceiverFixture.h"

#include <QDir>
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
