#include "lidar/SensorDemux.h"
#include "lidar/SensorChoice.h"
#include "lidar/SensorStatistics.h"
#include "support/TestPackets.h"

#include <gtest/gtest.h>

namespace {

using Payloads = std::vector<DataPacketWriter::Payload>;

std::vector<MuchLidarData> alone(const Payloads& payloads) {
    FrameCutter cutter;
    std::vector<MuchLidarData> frames;
    for (const auto& p : payloads) {
        cutter.feed(p.data(), [&](const MuchLidarData& f) { frames.push_back(f); });
    }
    return frames;
}

// Frames of about `pointsPerFrame` points, numbered from `first`.
void stream(TestPackets& t, int first, int frames, int pointsPerFrame) {
    for (int f = 0; f < frames; ++f) {
        t.marker();
        t.points(first + f * pointsPerFrame, pointsPerFrame);
    }
    t.marker();
}

const SensorId kA{0x0A000002, 2368}; // 10.0.0.2
const SensorId kB{0x0A000003, 2368}; // 10.0.0.3

} // namespace

TEST(SensorId, TextParsingAndMatching) {
    EXPECT_EQ(kA.text(), "10.0.0.2");
    EXPECT_EQ(kA.textWithPort(), "10.0.0.2:2368");
    EXPECT_EQ((SensorId{0xC0A801C8, 0}).text(), "192.168.1.200");

    const std::optional<SensorId> any = SensorId::parse("10.0.0.2");
    ASSERT_TRUE(any);
    EXPECT_EQ(*any, (SensorId{0x0A000002, 0}));
    EXPECT_TRUE(any->matches(kA));
    EXPECT_TRUE(any->matches(SensorId{0x0A000002, 5000}));
    EXPECT_FALSE(any->matches(kB));
    const std::optional<SensorId> exact = SensorId::parse("10.0.0.2:2369");
    ASSERT_TRUE(exact);
    EXPECT_FALSE(exact->matches(kA));
    EXPECT_TRUE(exact->matches(SensorId{0x0A000002, 2369}));
    for (const char* bad : {"", "10.0.0", "10.0.0.2.1", "10.0.0.256", "10.0.0.-2", "10.0.0.+2",
                            " 10.0.0.2", "10.0.0.2:", "10.0.0.2:0", "10.0.0.2:65536",
                            "10.0.0.2:23a", "10.0.0.2:1:2", "a.b.c.d", "10..0.2"}) {
        EXPECT_FALSE(SensorId::parse(bad)) << bad;
    }

    // Sensors sharing an address are told apart by their ports.
    const SensorId otherPort{kA.address, 2400};
    EXPECT_EQ(kA.label({kA, kB}), "10.0.0.2");
    EXPECT_EQ(kA.label({kA, kB, otherPort}), "10.0.0.2:2368");
}

TEST(SensorDemux, InterleavedSensorsGiveEachTheFramesItsStreamGivesAlone) {
    TestPackets a;
    stream(a, 0, 4, 400);
    TestPackets b;
    stream(b, 10000, 9, 150); // more, smaller frames, as a faster sensor sends
    const Payloads& pa = a.finish();
    const Payloads& pb = b.finish();

    SensorDemux demux;
    std::vector<MuchLidarData> framesA;
    std::vector<MuchLidarData> framesB;
    const auto collect = [&](int sensor, const MuchLidarData& f) {
        (sensor == 0 ? framesA : framesB).push_back(f);
    };
    // Uneven runs of each, B first heard second.
    std::size_t ia = 0;
    std::size_t ib = 0;
    for (int turn = 0; ia < pa.size() || ib < pb.size(); ++turn) {
        for (int k = 0; k < 1 + turn % 3 && ia < pa.size(); ++k) {
            EXPECT_EQ(demux.feed(kA, pa[ia++].data(), collect), 0);
        }
        for (int k = 0; k < 1 + turn % 2 && ib < pb.size(); ++k) {
            EXPECT_EQ(demux.feed(kB, pb[ib++].data(), collect), 1);
        }
    }
    EXPECT_EQ(demux.sensors(), (std::vector<SensorId>{kA, kB}));
    ASSERT_EQ(framesA.size(), 4u);
    ASSERT_EQ(framesB.size(), 9u);
    EXPECT_EQ(framesA, alone(pa));
    EXPECT_EQ(framesB, alone(pb));
    EXPECT_EQ(indicesOf(framesB[8]), range(10000 + 8 * 150, 150));
    for (const MuchLidarData& f : framesA) {
        EXPECT_EQ(f.sensor, kA);
    }
    for (const MuchLidarData& f : framesB) {
        EXPECT_EQ(f.sensor, kB);
    }
    EXPECT_EQ(demux.refused(), 0u);
}

TEST(SensorDemux, SourcesBeyondTheBoundAreCountedAndNeverCut) {
    TestPackets t;
    stream(t, 0, 2, 100);
    const Payloads& payloads = t.finish();
    ASSERT_EQ(payloads.size(), 2u);

    SensorDemux demux;
    int frames = 0;
    const auto count = [&](int, const MuchLidarData&) { ++frames; };
    // 20 forged sources, each sending every datagram of a whole stream.
    for (const auto& p : payloads) {
        for (std::uint32_t s = 1; s <= 20; ++s) {
            demux.feed(SensorId{0x7F000000 + s, 9}, p.data(), count);
        }
    }
    ASSERT_EQ(demux.sensorCount(), SensorTable::kMaxSensors);
    EXPECT_EQ(demux.sensors().front(), (SensorId{0x7F000001, 9}));
    EXPECT_EQ(demux.sensors().back(), (SensorId{0x7F000010, 9}));
    EXPECT_EQ(demux.refused(), 2u * 4u);
    EXPECT_EQ(frames, 2 * SensorTable::kMaxSensors);
    // A source kept goes on being taken.
    EXPECT_EQ(demux.feed(SensorId{0x7F000003, 9}, payloads[0].data(), count), 2);
    EXPECT_EQ(demux.feed(SensorId{0x7F000011, 9}, payloads[0].data(), count), -1);
}

TEST(SensorDemux, TheChannelFilterAppliesToSensorsHeardLater) {
    TestPackets t;
    stream(t, 0, 1, 300);
    const Payloads& payloads = t.finish();
    SensorDemux demux;
    SensorDemux::ChannelFlags wanted{};
    wanted[3] = true;
    demux.setChannelFilter(wanted);
    std::vector<MuchLidarData> frames;
    for (const SensorId& s : {kA, kB}) {
        for (const auto& p : payloads) {
            demux.feed(s, p.data(), [&](int, const MuchLidarData& f) { frames.push_back(f); });
        }
    }
    ASSERT_EQ(frames.size(), 2u);
    for (const MuchLidarData& f : frames) {
        ASSERT_EQ(f.size(), 3u); // points 3, 131 and 259
        EXPECT_EQ(f.laserIds, (std::vector<std::int32_t>{3, 3, 3}));
    }
}

TEST(SensorChoice, ShowsTheFirstHeardUntilAnotherIsChosen) {
    SensorChoice choice;
    EXPECT_FALSE(choice.shown());
    EXPECT_TRUE(choice.heard(kB));
    EXPECT_TRUE(choice.heard(kA));
    EXPECT_FALSE(choice.heard(kB));
    EXPECT_TRUE(choice.shows(kB));
    EXPECT_FALSE(choice.shows(kA));
    EXPECT_EQ(choice.order(kA), 1);
    choice.choose(kA);
    EXPECT_TRUE(choice.shows(kA));
    // A new live run learns who sends again; the choice stays.
    choice.startRun(true);
    EXPECT_TRUE(choice.sensors().empty());
    choice.heard(kB);
    EXPECT_TRUE(choice.shows(kA));
    // A capture plays its own sensor.
    choice.startRun(false);
    choice.heard(kB);
    EXPECT_TRUE(choice.shows(kB));
}

TEST(SensorChoice, ThePreferredAddressIsChosenWhenItsSensorIsHeard) {
    SensorChoice choice;
    choice.prefer({false, SensorId::parse(QStringLiteral("10.0.0.3"))}); // any port
    const SensorId b{0x0A000003, 2368};
    choice.heard(kA);
    EXPECT_TRUE(choice.shows(kA));
    choice.heard(b);
    EXPECT_TRUE(choice.shows(b));
    EXPECT_FALSE(choice.shows(kA));

    // Held while the sensor shown must stay (an export runs).
    SensorChoice held;
    held.prefer({false, b});
    held.heard(kA);
    held.heard(b, false);
    EXPECT_TRUE(held.shows(kA));

    // Chosen by hand, another sensor becomes the preference.
    choice.choose(kA);
    EXPECT_EQ(choice.preference().sensor, kA);
    EXPECT_FALSE(choice.preference().all);
    choice.startRun(true);
    choice.heard(b);
    EXPECT_TRUE(choice.shows(kA));
    EXPECT_FALSE(choice.shows(b));
}

TEST(SensorChoice, AllShowsEverySensorWhileTheToolsStayOnOne) {
    SensorChoice choice;
    choice.heard(kA);
    choice.heard(kB);
    choice.choose(kB);
    choice.chooseAll();
    EXPECT_TRUE(choice.showsAll());
    EXPECT_TRUE(choice.shows(kA));
    EXPECT_TRUE(choice.shows(kB));
    EXPECT_EQ(choice.shown(), kB);
    choice.focus(kA);
    EXPECT_EQ(choice.shown(), kA);
    EXPECT_TRUE(choice.preference().all);

    // A capture plays one sensor; the next live run shows all again, the
    // tools on the first heard.
    choice.startRun(false);
    EXPECT_FALSE(choice.showsAll());
    choice.heard(kA);
    EXPECT_FALSE(choice.shows(kB));
    choice.startRun(true);
    choice.heard(kB);
    choice.heard(kA);
    EXPECT_TRUE(choice.showsAll());
    EXPECT_EQ(choice.shown(), kB);

    // Kept as a preference, all shown from the start; choosing one ends it.
    SensorChoice next;
    next.prefer(choice.preference());
    next.heard(kA);
    EXPECT_TRUE(next.showsAll());
    next.choose(kA);
    EXPECT_FALSE(next.showsAll());
    EXPECT_FALSE(next.shows(kB));
}

TEST(SensorStatistics, RatesAndPointsPerFrameOfEachSensorBetweenSamples) {
    SensorStatistics stats;
    stats.sample(10.0, {{kA, 100, 2, 2000}});
    const std::vector<SensorFigures>& f =
        stats.sample(12.0, {{kA, 300, 6, 6000}, {kB, 50, 3, 1500}});
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].sensor, kA);
    EXPECT_EQ(f[0].order, 0);
    EXPECT_DOUBLE_EQ(f[0].datagramsPerSecond, 100.0);
    EXPECT_DOUBLE_EQ(f[0].framesPerSecond, 2.0);
    EXPECT_DOUBLE_EQ(f[0].pointsPerFrame, 1000.0);
    // First heard since the last sample: counted from nothing.
    EXPECT_EQ(f[1].order, 1);
    EXPECT_DOUBLE_EQ(f[1].datagramsPerSecond, 25.0);
    EXPECT_DOUBLE_EQ(f[1].pointsPerFrame, 500.0);

    // No frame since: the points per frame stay; the receiver started again.
    const std::vector<SensorFigures>& g =
        stats.sample(13.0, {{kA, 400, 6, 6000}, {kB, 10, 1, 480}});
    EXPECT_DOUBLE_EQ(g[0].framesPerSecond, 0.0);
    EXPECT_DOUBLE_EQ(g[0].pointsPerFrame, 1000.0);
    EXPECT_DOUBLE_EQ(g[1].datagramsPerSecond, 10.0);
    EXPECT_DOUBLE_EQ(g[1].pointsPerFrame, 480.0);
}
