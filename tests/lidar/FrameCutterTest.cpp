#include "lidar/FrameCutter.h"
#include "support/TestPackets.h"

#include <gtest/gtest.h>

namespace {

std::vector<MuchLidarData> cut(const std::vector<DataPacketWriter::Payload>& payloads,
                               int initialMarkers = 0) {
    FrameCutter cutter(initialMarkers);
    std::vector<MuchLidarData> frames;
    for (const auto& p : payloads) {
        cutter.feed(p.data(), [&](const MuchLidarData& f) { frames.push_back(f); });
    }
    return frames;
}

} // namespace

TEST(FrameCutter, TwoMarkersInOneDatagramGiveExactlyTheGroupsBetween) {
    TestPackets t;
    t.points(0, 5);
    t.marker();
    t.points(5, 10);
    t.marker();
    t.points(15, 3);
    const auto frames = cut(t.finish());
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(indicesOf(frames[0]), range(5, 10));
}

TEST(FrameCutter, FramesSpanDatagramsAndEverythingBeforeTheFirstMarkerIsDropped) {
    TestPackets t;
    t.points(0, 300); // two datagrams' worth before any marker
    t.marker();
    t.points(300, 400);
    t.marker();
    t.points(700, 171);
    t.marker();
    const auto frames = cut(t.finish());
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(indicesOf(frames[0]), range(300, 400));
    EXPECT_EQ(indicesOf(frames[1]), range(700, 171));
    for (const MuchLidarData& f : frames) {
        EXPECT_EQ(f.azimuths.size(), f.size());
        EXPECT_EQ(f.distances.size(), f.size());
        EXPECT_EQ(f.intensities.size(), f.size());
    }
}

TEST(FrameCutter, AdjacentMarkersEmitAnEmptyFrame) {
    TestPackets t;
    t.marker();
    t.points(0, 3);
    t.marker();
    t.marker();
    t.points(3, 2);
    t.marker();
    const auto frames = cut(t.finish());
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].size(), 3u);
    EXPECT_TRUE(frames[1].empty());
    EXPECT_EQ(indicesOf(frames[2]), range(3, 2));
}

TEST(FrameCutter, MarkerInTheLastGroupCounts) {
    TestPackets t;
    t.marker();
    t.points(0, 169);
    t.marker(); // group 170 of the first payload
    const auto& payloads = t.finish();
    ASSERT_EQ(payloads.size(), 1u);
    ASSERT_TRUE(DataPacket::isFrameMarker(payloads[0].data() + 1190));
    const auto frames = cut(payloads);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].size(), 169u);
}

TEST(FrameCutter, TrailerAndMisalignedBytesAreNeverTakenForMarkers) {
    TestPackets t;
    t.marker();
    t.points(0, 10);
    auto payloads = t.finish();
    auto& p = payloads[0];
    // A marker pattern inside point data (offset 3 of group 2) and in the trailer.
    p[14 + 3] = 0xFF;
    p[14 + 4] = 0xAA;
    p[14 + 5] = 0xBB;
    p[1197] = 0xFF;
    p[1198] = 0xAA;
    p[1199] = 0xBB;
    FrameCutter cutter;
    int emitted = 0;
    cutter.feed(p.data(), [&](const MuchLidarData&) { ++emitted; });
    EXPECT_EQ(emitted, 0);
    EXPECT_EQ(cutter.markerCount(), 1);
    EXPECT_EQ(cutter.workingFrame().size(), 10u);
}

TEST(FrameCutter, OnlyEmptyGroupsAddNothing) {
    TestPackets t;
    t.marker();
    const auto& opening = t.finish();
    DataPacketWriter::Payload empty{};
    for (std::size_t g = 0; g < DataPacket::kGroupCount; ++g) {
        empty[g * 7] = 0xFF;
        empty[g * 7 + 1] = static_cast<std::uint8_t>(g); // whatever follows 0xFF is ignored
    }
    FrameCutter cutter;
    cutter.feed(opening[0].data(), [](const MuchLidarData&) {});
    cutter.feed(empty.data(), [](const MuchLidarData&) {});
    EXPECT_TRUE(cutter.workingFrame().empty());
    EXPECT_EQ(cutter.markerCount(), 1);
}

TEST(FrameCutter, ResetToOneCollectsFromTheFirstGroup) {
    // The capture player restarts this way: the part before the first
    // marker forms the first frame.
    TestPackets t;
    t.points(0, 20);
    t.marker();
    t.points(20, 5);
    t.marker();
    const auto frames = cut(t.finish(), 1);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(indicesOf(frames[0]), range(0, 20));
    EXPECT_EQ(indicesOf(frames[1]), range(20, 5));
}

TEST(FrameCutter, EmittedFramesAreIndependentOfTheWorkingRecord) {
    MuchLidarData copy;
    {
        TestPackets t;
        t.marker();
        t.points(0, 4);
        t.marker();
        t.points(4, 4);
        FrameCutter cutter;
        for (const auto& p : t.finish()) {
            cutter.feed(p.data(), [&](const MuchLidarData& f) { copy = f; });
        }
        cutter.reset(0);
    }
    EXPECT_EQ(indicesOf(copy), range(0, 4));
}

TEST(FrameCutter, AChannelFilterKeepsTheWantedPointsAndTheSameFrames) {
    TestPackets t;
    t.points(0, 50); // before the first marker
    t.marker();
    t.points(50, 300);
    t.marker();
    t.marker(); // an empty frame
    t.points(350, 400);
    t.marker();
    t.points(750, 10);
    auto& payloads = t.finish();
    // Groups of channels outside the tables never count, filtered or not.
    payloads[1][0] = 200;
    const std::vector<MuchLidarData> whole = cut(payloads, 1);

    FrameCutter::ChannelFlags wanted{};
    wanted[0] = wanted[5] = wanted[127] = true;
    FrameCutter cutter(1);
    cutter.setChannelFilter(wanted);
    std::vector<MuchLidarData> filtered;
    for (const auto& p : payloads) {
        cutter.feed(p.data(), [&](const MuchLidarData& f) { filtered.push_back(f); });
    }
    EXPECT_EQ(cutter.markerCount(), 1);
    ASSERT_EQ(filtered.size(), whole.size());
    for (std::size_t f = 0; f < whole.size(); ++f) {
        MuchLidarData expected;
        for (std::size_t i = 0; i < whole[f].size(); ++i) {
            if (wanted[static_cast<std::size_t>(whole[f].laserIds[i])]) {
                expected.append(whole[f].laserIds[i], whole[f].azimuths[i], whole[f].distances[i],
                                whole[f].intensities[i]);
            }
        }
        EXPECT_EQ(filtered[f], expected) << "frame " << f;
    }
    EXPECT_EQ(filtered[0].size(), 2u); // points 0, 5 (the frame before the first marker)
    EXPECT_TRUE(filtered[2].empty());
}
