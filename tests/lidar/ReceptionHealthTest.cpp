#include "lidar/ReceptionHealth.h"
#include "lidar/PointCountWatch.h"

#include <gtest/gtest.h>

TEST(PointCountWatch, FramesMoreThanTenPercentFromTheMedianOfTheLastTwentyAreOdd) {
    PointCountWatch watch;
    // Too few frames to judge, however they differ.
    for (std::size_t points : {1000u, 10u, 1000u, 5000u, 1000u}) {
        EXPECT_FALSE(watch.add(points));
    }
    for (int i = 0; i < 15; ++i) {
        watch.add(1000);
    }
    const struct {
        std::size_t points;
        bool odd;
    } cases[] = {{1100, false}, {1101, true}, {900, false}, {899, true}, {0, true}};
    for (const auto& c : cases) {
        EXPECT_EQ(watch.add(c.points), c.odd) << c.points;
    }
    EXPECT_EQ(watch.oddFrames(), 3u);

    // A lasting change becomes the new normal once it is most of the history.
    int odd = 0;
    for (int i = 0; i < 20; ++i) {
        odd += watch.add(2000) ? 1 : 0;
    }
    EXPECT_EQ(odd, 11);
    EXPECT_FALSE(watch.add(2000));

    // Another source starts without the last one's history.
    watch.forgetHistory();
    EXPECT_FALSE(watch.add(10));
    EXPECT_EQ(watch.oddFrames(), 14u);
}

TEST(ReceptionHealth, RatesBetweenSamplesAndTotalsSinceTheReset) {
    ReceptionHealth health;
    ReceptionCounts c;
    c.datagrams = 1000;
    c.wrongSize = 4;
    c.kernelDrops = 7;
    c.oddFrames = 2;
    HealthFigures f = health.sample(10.0, c, std::nullopt);
    EXPECT_EQ(f.datagramsPerSecond, 0); // no earlier sample
    EXPECT_EQ(f.lost(), 13u);
    EXPECT_FALSE(f.secondsSinceDevicePacket);

    c.datagrams = 13000;
    c.framesReceived = 20;
    c.framesDrawn = 15;
    f = health.sample(12.0, c, 11.5);
    EXPECT_DOUBLE_EQ(f.datagramsPerSecond, 6000);
    EXPECT_DOUBLE_EQ(f.framesReceivedPerSecond, 10);
    EXPECT_DOUBLE_EQ(f.framesDrawnPerSecond, 7.5);
    EXPECT_DOUBLE_EQ(*f.secondsSinceDevicePacket, 0.5);

    // Clear: totals from here; the device packet before it is forgotten.
    health.reset(12.5, c);
    c.kernelDrops = 10;
    f = health.sample(13.0, c, 11.5);
    EXPECT_EQ(f.kernelDrops, 3u);
    EXPECT_EQ(f.wrongSize, 0u);
    EXPECT_EQ(f.oddFrames, 0u);
    EXPECT_FALSE(f.secondsSinceDevicePacket);
    EXPECT_DOUBLE_EQ(*health.sample(14.0, c, 13.25).secondsSinceDevicePacket, 0.75);
}

TEST(ReceptionHealth, NoDataOnceASecondPassesWithoutADatagramOrAFrame) {
    ReceptionHealth health;
    ReceptionCounts c;
    health.reset(100.0, c);
    // The start (or a Clear) gives data a second to come.
    EXPECT_FALSE(health.sample(100.6, c, std::nullopt).noData);
    EXPECT_TRUE(health.sample(101.0, c, std::nullopt).noData);

    c.datagrams = 50;
    EXPECT_FALSE(health.sample(102.0, c, std::nullopt).noData);
    // Nothing new since: quiet for less than a second is no gap yet.
    EXPECT_FALSE(health.sample(102.9, c, std::nullopt).noData);
    EXPECT_TRUE(health.sample(103.1, c, std::nullopt).noData);

    // A capture's frames arrive without datagrams.
    c.framesReceived = 3;
    EXPECT_FALSE(health.sample(104.0, c, std::nullopt).noData);
}
