#include "GetSetFixture.h"

// Needs multicast routed to loopback, as in the test namespace.
using GetSetMulticastTest = GetSetFixture;

TEST_F(GetSetMulticastTest, ReceivesPacketsSentToTheGroup) {
    ASSERT_TRUE(startOn(0, "224.1.1.2"));
    send(InfoTestPacket::plausible(), "224.1.1.2");
    ASSERT_TRUE(waitUntil([this] { return order.size() == 4; }));
    EXPECT_TRUE(errors.empty());
}
