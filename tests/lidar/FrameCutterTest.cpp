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
