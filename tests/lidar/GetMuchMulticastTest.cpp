#include "ReceiverFixture.h"

#include <QFile>

namespace {

// Groups the kernel lists as joined on the loopback interface.
bool loopbackHasGroup(const char* hexGroup) {
    QFile igmp("/proc/net/igmp");
    if (!igmp.open(QIODevice::ReadOnly)) {
        return false;
    }
    return igmp.readAll().contains(hexGroup);
}

} // namespace

// Needs multicast routed to loopback, as in the test namespace.
using GetMuchMulticastTest = ReceiverFixture;

TEST_F(GetMuchMulticastTest, ReceivesTheGroupAndLeavesItOnStop) {
    // A group of this test's own; the sensor's default is 224.1.1.1.
    ASSERT_TRUE(startOn(0, "224.1.1.61"));
    EXPECT_TRUE(loopbackHasGroup("3D0101E0")); // little-endian hex
    TestPackets t;
    t.marker();
    t.points(0, 30);
    t.marker();
    send(t.finish(), "224.1.1.61");
    ASSERT_TRUE(waitUntil([this] { return frames.size() == 1; }));
    EXPECT_EQ(indicesOf(frames[0]), range(0, 30));

    receiver.stop = true;
    ASSERT_TRUE(receiver.wait(30000));
    EXPECT_FALSE(loopbackHasGroup("3D0101E0"));
}
