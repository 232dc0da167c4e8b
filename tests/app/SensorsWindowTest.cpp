#include "TwoSensorCapture.h"
#include "WindowFixture.h"

#include "app/PlaybackBar.h"

#include <QLabel>
#include <QSlider>
#include <QTemporaryDir>

namespace {

// Two sensors on one port: A sends frames of 120 points, B of 45.
class Sensors : public WindowFixture {
protected:
    QLabel* notice() { return child<QLabel>("label_Sensors"); }

    void sendFrames(UdpSocket& from, int points, int frames) {
        std::vector<std::vector<RingPoint>> f(static_cast<std::size_t>(frames), ring(points));
        for (const auto& p : payloadsOf(f, false)) {
            ASSERT_TRUE(from.sendTo("127.0.0.1", static_cast<std::uint16_t>(boundPort()), p.data(),
                                    p.size()));
        }
    }
};

} // namespace

TEST_F(Sensors, LiveTheWindowShowsOneSensorAndSaysWhichOfHowMany) {
    ASSERT_TRUE(startLive());
    UdpSocket a;
    UdpSocket b;
    ASSERT_TRUE(a.bindTo("127.0.0.2", 0));
    ASSERT_TRUE(b.bindTo("127.0.0.3", 0));
    const SensorId idA{0x7F000002, a.localPort()};
    const SensorId idB{0x7F000003, b.localPort()};

    // A alone: nothing to say.
    sendFrames(a, 120, 3);
    ASSERT_TRUE(waitUntil([&] { return window.framesDelivered() == 2; }, 30000));
    EXPECT_TRUE(notice()->isHidden());

    sendFrames(b, 45, 4);
    const QString expected =
        QStringLiteral("2 sensors on port %1: showing 127.0.0.2").arg(boundPort());
    ASSERT_TRUE(waitUntil([&] { return notice()->text() == expected; }, 30000));
    EXPECT_TRUE(notice()->isVisible());
    sendFrames(a, 120, 2);
    ASSERT_TRUE(waitUntil([&] { return window.framesDelivered() == 4; }, 30000));
    ASSERT_TRUE(waitUntil([&] { return !window.drawing().drawPending(); }, 30000));
    EXPECT_EQ(window.lastFrameReceived().size(), 120u);
    EXPECT_EQ(window.lastFrameReceived().sensor, idA);
    EXPECT_EQ(window.sensorsHeard(), (std::vector<SensorId>{idA, idB}));

    // B chosen: A's frames go on arriving and are not shown.
    ASSERT_TRUE(window.showSensor(idB));
    EXPECT_EQ(notice()->text(),
              QStringLiteral("2 sensors on port %1: showing 127.0.0.3").arg(boundPort()));
    EXPECT_TRUE(window.lastFrameReceived().empty());
    const std::uint64_t before = window.framesDelivered();
    sendFrames(a, 120, 3);
    sendFrames(b, 45, 3);
    ASSERT_TRUE(waitForDrawn(before, 3));
    EXPECT_EQ(window.framesDelivered(), before + 3);
    EXPECT_EQ(window.lastFrameReceived().size(), 45u);
    EXPECT_EQ(window.lastFrameReceived().sensor, idB);
    EXPECT_EQ(window.lastConversion().shown->size(), 45u);
}

TEST_F(Sensors, ACaptureOfTwoSensorsPlaysTheFirstAndAnotherOnRequest) {
    QTemporaryDir dir;
    const QString path = dir.filePath("two.pcap");
    // A: 3 frames of 120 points; B: 5 frames of 45.
    writeTwoSensorCapture(path, 3, 120, 5, 45);
    // Live first, two sensors heard; the capture then takes over the notice.
    ASSERT_TRUE(startLive());
    UdpSocket a;
    UdpSocket b;
    ASSERT_TRUE(a.bindTo("127.0.0.2", 0));
    ASSERT_TRUE(b.bindTo("127.0.0.3", 0));
    sendFrames(a, 120, 2);
    sendFrames(b, 45, 2);
    ASSERT_TRUE(waitUntil([&] { return notice()->text().startsWith("2 sensors on port"); }, 30000));

    PlaybackBar& bar = window.playbackControl();
    ASSERT_TRUE(bar.openCapture(path));
    EXPECT_EQ(notice()->text(), "2 sensors in two.pcap: showing 10.0.0.2");
    auto* slider = child<QSlider>("Slider_Frame");
    // Frames 0..3: the empty one before the first marker, then A's three.
    EXPECT_EQ(slider->maximum(), 3);

    ASSERT_TRUE(bar.playSensor(1));
    EXPECT_FALSE(bar.playSensor(2));
    EXPECT_EQ(notice()->text(), "2 sensors in two.pcap: showing 10.0.0.3");
    EXPECT_EQ(slider->maximum(), 5);
    // The other sensor's first frame is shown before Play takes presses.
    ASSERT_TRUE(waitUntil([&] { return button("toolButton_Play")->isEnabled(); }));
    button("toolButton_Play")->click();
    ASSERT_TRUE(waitUntil([&] { return bar.playbackFinished(); }, 30000));
    ASSERT_TRUE(waitUntil([&] { return !window.drawing().drawPending(); }, 30000));
    EXPECT_EQ(window.lastFrameReceived().sensor, (SensorId{0x0A000003, 2368}));
    EXPECT_EQ(window.lastFrameReceived().size(), 45u);
}
