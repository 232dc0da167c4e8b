#include "capture/ReadLiveOffData.h"
#include "SampleCapture.h"
#include "support/QtWait.h"

#include <QCoreApplication>
#include <QFile>
#include <QObject>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>

namespace {

using Clock = std::chrono::steady_clock;

// A player on the standard sample capture, its frames and stop points
// collected on the test's thread through queued connections, as the window
// receives them.
class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        sample = SampleCapture::standard();
        load(sample->packets.payloads);
        QObject::connect(&player, &ReadLiveOffData::SendFrameNumber, &context, [this](int number) {
            numbers.push_back(number);
            events.push_back(number);
        });
        QObject::connect(&player, &ReadLiveOffData::SendData, &context,
                         [this](const MuchLidarData& f) {
                             frames.push_back(indicesOf(f));
                             // Each frame comes right behind its number.
                             EXPECT_EQ(numbers.size(), frames.size());
                         });
        QObject::connect(&player, &ReadLiveOffData::SendBool, &context, [this](bool finished) {
            EXPECT_TRUE(finished);
            ++stopPoints;
            events.push_back(-1);
        });
    }
    void TearDown() override { player.stopAndWait(); }

    void load(const std::vector<DataPacketWriter::Payload>& payloads) {
        writeCapture(dir.filePath("sample.pcap"), payloads);
        player.setCapture(openCapture(dir.filePath("sample.pcap")));
    }
    void play(int speedIndex = 2) {
        player.playback.speedIndex = speedIndex;
        player.start();
    }
    void seek(int packet) {
        QMetaObject::invokeMethod(&player, "getProgressChangeValue", Q_ARG(int, packet));
    }
    bool waitForFrames(std::size_t n) {
        return waitUntil([&] { return frames.size() >= n; });
    }
    // Runs `act` once, on the player's own thread, right after the player
    // sends the number of frame `frame`: the test acts at a known frame
    // however busy the machine is.
    void atFrame(int frame, std::function<void()> act) {
        auto fired = std::make_shared<std::atomic<bool>>(false);
        QObject::connect(
            &player, &ReadLiveOffData::SendFrameNumber, &player,
            [frame, fired, act = std::move(act)](int number) {
                if (number == frame && !fired->exchange(true)) {
                    act();
                }
            },
            Qt::DirectConnection);
    }
    // Waits until the player waits at its closed gate, then takes in what it
    // sent before: from then on nothing arrives until the gate is released.
    bool waitUntilHeld() {
        if (!waitUntil([&] { return player.waitingAtGate(); })) {
            return false;
        }
        QCoreApplication::sendPostedEvents();
        return true;
    }
    // Nothing more arrives while the player is meant to wait.
    void expectQuietFor(int ms) {
        ASSERT_TRUE(waitUntilHeld());
        const std::size_t before = frames.size();
        const int stopsBefore = stopPoints;
        QTest::qWait(ms);
        EXPECT_EQ(frames.size(), before);
        EXPECT_EQ(stopPoints, stopsBefore);
    }
    std::vector<int> expected(int frame) const {
        return sample->frames[static_cast<std::size_t>(frame)];
    }
    int frameCount() const { return static_cast<int>(sample->frames.size()); }

    QTemporaryDir dir;
    std::unique_ptr<SampleCapture> sample;
    ReadLiveOffData player;
    // Every frame is also shown as the frame its number names.
    void expectNumbersNameTheFrames() const {
        ASSERT_EQ(numbers.size(), frames.size());
        for (std::size_t i = 0; i < frames.size(); ++i) {
            EXPECT_EQ(frames[i], expected(numbers[i])) << "frame number " << numbers[i];
        }
    }

    QObject context;
    std::vector<std::vector<int>> frames;
    std::vector<int> numbers;
    std::vector<int> events; // frame numbers, and -1 for each stop point
    int stopPoints = 0;
};

} // namespace

TEST_F(PlayerTest, FirstFrameAfterPlayHoldsThePointsBeforeTheFirstMarker) {
    ASSERT_EQ(sample->markerPackets.front(), 10);
    play();
    ASSERT_TRUE(waitForFrames(1));
    EXPECT_EQ(frames[0], expected(0));
}

TEST_F(PlayerTest, PlaysEveryFrameThenStopsAtTheEndAndWaitsForTheNextRelease) {
    play();
    ASSERT_TRUE(waitUntil([&] { return stopPoints == 1; }));
    ASSERT_EQ(static_cast<int>(frames.size()), frameCount()); // the tail forms no frame
    for (int f = 0; f < frameCount(); ++f) {
        EXPECT_EQ(frames[static_cast<std::size_t>(f)], expected(f)) << "frame " << f;
        EXPECT_EQ(numbers[static_cast<std::size_t>(f)], f);
    }
    EXPECT_FALSE(player.gateOpen());
    EXPECT_TRUE(player.isRunning());
    expectQuietFor(150);

    player.releaseGate();
    ASSERT_TRUE(waitForFrames(static_cast<std::size_t>(frameCount()) + 1));
    EXPECT_EQ(frames.back(), expected(0));
}

TEST_F(PlayerTest, SeekToTheMarkerPacketEmitsTheFrameThatMarkerOpens) {
    player.playback.pauseAfterFrame = 1;
    play();
    ASSERT_TRUE(waitForFrames(1));
    // Marker 5 sits alone in its packet; marker 1 as well.
    for (int marker : {5, 1}) {
        SCOPED_TRACE(marker);
        seek(sample->markerPackets[static_cast<std::size_t>(marker - 1)]);
        const std::size_t before = frames.size();
        player.releaseGate();
        ASSERT_TRUE(waitForFrames(before + 1));
        EXPECT_EQ(frames.back(), expected(marker));
    }
    // Packet 0 holds no marker: cutting starts at the first one after it.
    seek(0);
    player.releaseGate();
    ASSERT_TRUE(waitForFrames(frames.size() + 1));
    EXPECT_EQ(frames.back(), expected(1));
    expectNumbersNameTheFrames();
}

TEST_F(PlayerTest, SeeksOutsideTheCaptureAreIgnored) {
    player.playback.pauseAfterFrame = 1;
    play();
    ASSERT_TRUE(waitForFrames(1));
    seek(-1);
    player.releaseGate();
    ASSERT_TRUE(waitForFrames(2));
    seek(static_cast<int>(sample->packets.payloads.size()));
    player.releaseGate();
    ASSERT_TRUE(waitForFrames(3));
    EXPECT_EQ(frames[1], expected(1));
    EXPECT_EQ(frames[2], expected(2));
    EXPECT_TRUE(player.isRunning());
}

TEST_F(PlayerTest, SingleStepEmitsOneFramePerRelease) {
    player.playback.pauseAfterFrame = 1;
    play(0);
    for (std::size_t n = 1; n <= 4; ++n) {
        ASSERT_TRUE(waitForFrames(n));
        expectQuietFor(n == 1 ? 200 : 20);
        EXPECT_FALSE(player.gateOpen());
        EXPECT_EQ(frames.size(), n);
        EXPECT_EQ(frames.back(), expected(static_cast<int>(n) - 1));
        player.releaseGate();
    }
}

TEST_F(PlayerTest, ClosingTheGatePausesAndReleasingItResumes) {
    atFrame(1, [this] { player.closeGate(); });
    play();
    // The frame being sent when the gate closed still goes out.
    expectQuietFor(150);
    const std::size_t shown = frames.size();
    EXPECT_EQ(shown, 2u);
    player.releaseGate();
    ASSERT_TRUE(waitForFrames(shown + 1));
    EXPECT_EQ(frames[shown], expected(static_cast<int>(shown)));
}

TEST_F(PlayerTest, BackwardPlayShowsTheFramesBeforeInTurnThenStopsAndPlaysForward) {
    player.playback.pauseAfterFrame = 1;
    play();
    for (std::size_t n = 1; n <= 3; ++n) {
        ASSERT_TRUE(waitForFrames(n));
        player.releaseGate();
    }
    ASSERT_TRUE(waitForFrames(4));
    // A backward step from frame 3 shows frame 2, exactly as cut forward.
    player.playback.stepDirection = -1;
    player.releaseGate();
    ASSERT_TRUE(waitForFrames(5));
    EXPECT_EQ(numbers.back(), 2);

    // Playing backward: frames 1 and 0, then the stop point.
    player.playback.pauseAfterFrame = 0;
    player.releaseGate();
    ASSERT_TRUE(waitUntil([&] { return stopPoints == 1; }));
    EXPECT_EQ(events, (std::vector<int>{0, 1, 2, 3, 2, 1, 0, -1}));
    EXPECT_EQ(player.playback.stepDirection, 1);
    EXPECT_FALSE(player.gateOpen());
    expectQuietFor(150);

    const std::size_t before = frames.size();
    player.releaseGate();
    ASSERT_TRUE(waitForFrames(before + 2));
    EXPECT_EQ(numbers[before], 0);
    EXPECT_EQ(numbers[before + 1], 1);
    expectNumbersNameTheFrames();
}

TEST_F(PlayerTest, TurningWhilePlayingContinuesFromTheFrameOnScreen) {
    // Turned while frame 3 is on its way out and the player waits behind it.
    atFrame(3, [this] { player.playback.stepDirection = -1; });
    play(0);
    ASSERT_TRUE(waitUntil([&] { return stopPoints == 1; }));
    EXPECT_EQ(numbers, (std::vector<int>{0, 1, 2, 3, 2, 1, 0}));
    expectNumbersNameTheFrames();
}

TEST_F(PlayerTest, ShowLastFrameShowsItPausesAndPlayingOnReachesTheEnd) {
    atFrame(0, [this] { player.closeGate(); });
    play();
    ASSERT_TRUE(waitUntilHeld());
    const std::size_t before = frames.size();
    player.showFrameAndPause(frameCount() - 1);
    ASSERT_TRUE(waitForFrames(before + 1));
    EXPECT_EQ(frames[before], expected(frameCount() - 1));
    expectQuietFor(150);
    EXPECT_FALSE(player.gateOpen());
    EXPECT_EQ(stopPoints, 0);

    // Play from there: no frame is left, the end is a stop point.
    player.releaseGate();
    ASSERT_TRUE(waitUntil([&] { return stopPoints == 1; }));
    EXPECT_EQ(frames.size(), before + 1);
}

TEST_F(PlayerTest, ARestartOrAFrameAskedWithAStopPointShowsItsFrameThenWaitsAtTheStopPoint) {
    const struct {
        const char* what;
        std::function<void()> ask;
        int shown;
    } cases[] = {
        {"restart", [this] { player.playback.restartRequested = 1; }, 0},
        {"last frame",
         [this] { player.showFrame(frameCount() - 1, ReadLiveOffData::AfterFrame::StopPoint); },
         frameCount() - 1},
    };
    // Each is asked while playing, as frame 1 goes out.
    atFrame(1, cases[0].ask);
    play();
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(waitUntil([&] { return stopPoints == static_cast<int>(i) + 1; }));
        // The frame is the last thing out before the stop point.
        EXPECT_EQ(events.back(), -1);
        EXPECT_EQ(numbers.back(), c.shown);
        expectQuietFor(150);
        if (i + 1 < std::size(cases)) {
            atFrame(1, cases[i + 1].ask);
        }
        // The next release plays from frame 0.
        const std::size_t before = frames.size();
        player.releaseGate();
        ASSERT_TRUE(waitForFrames(before + 1));
        EXPECT_EQ(numbers[before], 0);
    }
    EXPECT_EQ(player.playback.restartRequested, 0);
    expectNumbersNameTheFrames();
}

TEST_F(PlayerTest, ShowFrameFindsFramesWhoseMarkersShareAPacket) {
    ASSERT_EQ(sample->markerPackets[1], sample->markerPackets[3]);
    play();
    // Asked from a stop point, from a paused step and while playing.
    ASSERT_TRUE(waitUntil([&] { return stopPoints == 1; }));
    for (int frame : {3, 2, 4, 0, 5, 1}) {
        SCOPED_TRACE(frame);
        const std::size_t before = frames.size();
        player.showFrameAndPause(frame);
        ASSERT_TRUE(waitForFrames(before + 1));
        EXPECT_EQ(frames.back(), expected(frame));
        expectQuietFor(40);
    }
    EXPECT_EQ(stopPoints, 1);
    expectNumbersNameTheFrames();
}

TEST(PlayerFrames, ShowFrameWithoutMarkersIsARestartAndOneMarkerShowsTheFirstFrame) {
    QTemporaryDir dir;
    ReadLiveOffData player;
    int stopPoints = 0;
    std::vector<std::vector<int>> frames;
    QObject context;
    QObject::connect(&player, &ReadLiveOffData::SendBool, &context, [&] { ++stopPoints; });
    QObject::connect(&player, &ReadLiveOffData::SendData, &context,
                     [&](const MuchLidarData& f) { frames.push_back(indicesOf(f)); });

    TestPackets none;
    none.points(0, 400);
    writeCapture(dir.filePath("none.pcap"), none.finish());
    player.setCapture(openCapture(dir.filePath("none.pcap")));
    player.playback.speedIndex = 2;
    player.showFrameAndPause(0);
    player.start();
    ASSERT_TRUE(waitUntil([&] { return stopPoints == 1; }));
    EXPECT_TRUE(frames.empty());
    player.stopAndWait();

    TestPackets one;
    one.points(0, 300);
    one.marker();
    one.points(300, 10);
    writeCapture(dir.filePath("one.pcap"), one.finish());
    player.setCapture(openCapture(dir.filePath("one.pcap")));
    player.showFrameAndPause(5);
    player.start();
    ASSERT_TRUE(waitUntil([&] { return frames.size() == 1; }));
    EXPECT_EQ(frames[0], range(0, 300));
    EXPECT_FALSE(player.gateOpen());
}

TEST(PlayerPacing, FramesAreAtLeastTheDelayOfTheSpeedApart) {
    QTemporaryDir dir;
    TestPackets t;
    for (int f = 0; f < 5; ++f) {
        t.points(f * 10, 10);
        t.marker();
    }
    writeCapture(dir.filePath("pacing.pcap"), t.finish());
    const auto capture = openCapture(dir.filePath("pacing.pcap"));

    for (int speed : {0, 1, 2, 3, 4, 9}) {
        SCOPED_TRACE(speed);
        ReadLiveOffData player;
        std::mutex mutex;
        std::vector<Clock::time_point> times;
        // Timed where the frames leave the player, not where they are queued.
        QObject::connect(
            &player, &ReadLiveOffData::SendData, &player,
            [&](const MuchLidarData&) {
                std::lock_guard<std::mutex> lock(mutex);
                times.push_back(Clock::now());
            },
            Qt::DirectConnection);
        player.setCapture(capture);
        player.playback.speedIndex = speed;
        player.start();
        ASSERT_TRUE(waitUntil([&] {
            std::lock_guard<std::mutex> lock(mutex);
            return times.size() >= 4;
        }));
        player.stopAndWait();
        const auto delay = std::chrono::milliseconds(PlaybackVariables::frameDelayMs(speed));
        for (std::size_t i = 1; i < times.size(); ++i) {
            EXPECT_GE(times[i] - times[i - 1], delay);
        }
    }
    EXPECT_EQ(PlaybackVariables::frameDelayMs(9), 110);
}

TEST_F(PlayerTest, StopEndsTheThreadWhetherPausedSteppingOrAtAStopPoint) {
    const auto stopped = [this] {
        const int before = stopPoints;
        player.stopAndWait();
        EXPECT_FALSE(player.isRunning());
        EXPECT_TRUE(waitUntil([&] { return stopPoints == before + 1; })); // run() reports its end
        EXPECT_TRUE(player.gateOpen());
    };
    // Paused by the window.
    atFrame(0, [this] { player.closeGate(); });
    play();
    ASSERT_TRUE(waitUntilHeld());
    stopped();

    // Paused behind a single step.
    load(sample->packets.payloads);
    player.playback.pauseAfterFrame = 1;
    play();
    ASSERT_TRUE(waitForFrames(2));
    stopped();

    // Waiting at the end.
    load(sample->packets.payloads);
    player.playback.pauseAfterFrame = 0;
    play();
    ASSERT_TRUE(waitUntil([&] { return stopPoints == 3; }));
    stopped();
}

TEST_F(PlayerTest, ThePlayerKeepsItsCaptureUntilItHasStopped) {
    std::weak_ptr<const CaptureFile> watched;
    {
        auto capture = openCapture(dir.filePath("sample.pcap"));
        watched = capture;
        player.setCapture(std::move(capture));
    }
    ASSERT_FALSE(watched.expired());
    play();
    ASSERT_TRUE(waitUntil([&] { return stopPoints == 1; }));
    for (int f = 0; f < frameCount(); ++f) {
        EXPECT_EQ(frames[static_cast<std::size_t>(f)], expected(f));
    }
    EXPECT_FALSE(watched.expired());
    player.stopAndWait();
    EXPECT_TRUE(watched.expired());
}

TEST_F(PlayerTest, ACaptureShortenedWhilePlayingStopsAtTheCutWithANotice) {
    // Larger than the player's read window, so the cut is met while playing.
    SampleCapture big;
    for (int f = 0; f < 80; ++f) {
        big.frame(1000);
    }
    big.finish();
    const QString file = dir.filePath("big.pcap");
    writeCapture(file, big.packets.payloads);
    const auto capture = openCapture(file);
    ASSERT_TRUE(capture);
    player.setCapture(capture);
    QStringList errors;
    QObject::connect(&player, &ReadLiveOffData::SendError, &context,
                     [&](const QString& text) { errors << text; });

    player.playback.pauseAfterFrame = 1;
    play();
    ASSERT_TRUE(waitForFrames(1));
    // Cut inside the payload of data packet 300 (record i starts at 24 + 1264 i).
    const int lost = 300;
    const qint64 cut = 24 + 1264 * lost + 600;
    ASSERT_TRUE(QFile::resize(file, cut));
    player.playback.pauseAfterFrame = 0;
    player.releaseGate();

    ASSERT_TRUE(waitUntil([&] { return stopPoints == 1; }));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0], capture->shortenedNotice(static_cast<std::uint64_t>(cut), lost));
    const int frameAtCut = static_cast<int>(
        std::lower_bound(big.markerPackets.begin(), big.markerPackets.end(), lost) -
        big.markerPackets.begin());
    EXPECT_TRUE(
        errors[0].contains(QStringLiteral("byte %1, in frame %2 ").arg(cut).arg(frameAtCut)))
        << errors[0].toStdString();
    // Every frame before the cut was played, none after it.
    EXPECT_EQ(static_cast<int>(frames.size()), frameAtCut);
    EXPECT_FALSE(player.gateOpen());
    EXPECT_TRUE(player.isRunning());
}
