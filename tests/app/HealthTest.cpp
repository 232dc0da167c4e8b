#include "WindowFixture.h"

#include "app/HealthPanel.h"
#include "device/DeviceState.h"

#include <QLabel>

namespace {

class Health : public WindowFixture {
protected:
    HealthPanel& panel() { return window.healthPanel(); }
    const HealthFigures& shown() {
        panel().refresh();
        return panel().figures();
    }
    void sendDatagram(std::size_t size) {
        const std::vector<std::uint8_t> bytes(size, 0xFF); // empty point groups
        ASSERT_TRUE(sender.sendTo("127.0.0.1", static_cast<std::uint16_t>(boundPort()),
                                  bytes.data(), bytes.size()));
    }
};

} // namespace

TEST_F(Health, WrongSizesOddFramesAndDevicePacketsAreCountedUntilClear) {
    ASSERT_TRUE(startLive());
    EXPECT_EQ(shown().lost(), 0u);
    EXPECT_FALSE(shown().secondsSinceDevicePacket);
    // Nothing is sent yet: once a second has passed the panel says so.
    ASSERT_TRUE(waitUntil([&] { return shown().noData; }, 3000));
    EXPECT_TRUE(panel().text().endsWith("no data"));

    for (std::size_t size : {1205u, 1207u, 100u}) {
        sendDatagram(size);
    }
    ASSERT_TRUE(waitUntil([&] { return window.liveReceiverThread().totals().wrongSize == 3; }));
    EXPECT_EQ(shown().wrongSize, 3u);
    EXPECT_TRUE(panel().text().endsWith("lost 3"));

    // Seven like frames, the last of them with a stretch of datagrams missing.
    const std::vector<std::vector<RingPoint>> frames(7, ring(1000));
    std::vector<DataPacketWriter::Payload> payloads = payloadsOf(frames);
    // The last payload holds the closing marker; the ones before it belong
    // to the last frame alone.
    payloads.erase(payloads.end() - 4, payloads.end() - 2);
    for (const auto& p : payloads) {
        const std::uint64_t before = window.liveReceiverThread().totals().datagrams;
        send({p});
        // One at a time, so that none is lost on the way.
        ASSERT_TRUE(waitUntil(
            [&] { return window.liveReceiverThread().totals().datagrams == before + 1; }));
    }
    ASSERT_TRUE(waitUntil([&] { return window.framesDelivered() == 7; }));
    EXPECT_EQ(window.lastFrameReceived().size(), 1000u - 2 * 171u);
    EXPECT_EQ(shown().oddFrames, 1u);
    EXPECT_EQ(shown().kernelDrops, 0u);

    const DeviceInfoPacket::Bytes device = DeviceState{}.toPacket();
    ASSERT_TRUE(sender.sendTo("127.0.0.1",
                              static_cast<std::uint16_t>(window.statusReceiverThread().boundPort()),
                              device.data(), device.size()));
    ASSERT_TRUE(waitUntil([&] { return shown().secondsSinceDevicePacket.has_value(); }));
    EXPECT_LT(*shown().secondsSinceDevicePacket, 60.0);

    button("toolButton_clear")->click();
    EXPECT_EQ(panel().figures().lost(), 0u);
    EXPECT_FALSE(panel().figures().secondsSinceDevicePacket);
    EXPECT_TRUE(panel().text().endsWith("OK"));
}

TEST_F(Health, ABurstThatOverflowsASmallReceiveBufferShowsAsDrops) {
    window.liveReceiverThread().receiveBufferBytes = 4096;
    ASSERT_TRUE(startLive());
    const auto totals = [&] { return window.liveReceiverThread().totals(); };
    // Sent faster than the receiver reads them, until the system drops
    // some. A datagram that is read brings along the count of those dropped
    // before it.
    std::uint64_t sent = 0;
    const auto sendOne = [&] {
        sendDatagram(DataPacket::kSize);
        ++sent;
    };
    for (int burst = 0; burst < 50 && totals().kernelDrops == 0; ++burst) {
        for (int i = 0; i < 500; ++i) {
            sendOne();
        }
        const std::uint64_t before = totals().datagrams;
        sendOne();
        ASSERT_TRUE(waitUntil([&] { return totals().datagrams > before; }, 30000));
    }
    ASSERT_GT(totals().kernelDrops, 0u);
    // Once every datagram sent is either read or counted as dropped, the
    // figures stay as they are.
    while (totals().datagrams + totals().kernelDrops < sent) {
        const std::uint64_t before = totals().datagrams;
        sendOne();
        ASSERT_TRUE(waitUntil([&] { return totals().datagrams > before; }, 30000));
    }
    const std::uint64_t drops = totals().kernelDrops;
    EXPECT_EQ(totals().datagrams + drops, sent);
    EXPECT_EQ(shown().kernelDrops, drops);
    EXPECT_TRUE(panel().text().endsWith(QStringLiteral("lost %1").arg(drops)));
    EXPECT_FALSE(panel().styleSheet().isEmpty());
}
