#include "lidar/AzimuthTrigTable.h"
#include "lidar/ChannelGeometry.h"
#include "lidar/DataPacket.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

namespace {

MuchLidarData decode(std::initializer_list<std::uint8_t> bytes) {
    MuchLidarData frame;
    DataPacket::decodeGroup(std::data(bytes), frame);
    return frame;
}

// The geometry written out once more, without tables, as the sensor defines it.
PointXyz referencePoint(const ChannelGeometry& g, int c, float a, float d) {
    const float h = d * g.cosElevation[c];
    PointXyz p;
    p.x = static_cast<float>(h * std::cos(a * 3.14159 / 180) / 100);
    p.y = static_cast<float>(h * std::sin(a * 3.14159 / 180) / 100);
    if ((c / 4) % 2 == 1) {
        p.z = static_cast<float>(
            d * (g.sinBaseElevation[c] + 2 * std::cos((a + 15) * 3.14159 / 360) * g.sinSubStep[c]) /
            100);
    } else {
        p.z = static_cast<float>(
            d * (g.sinBaseElevation[c] + 2 * std::sin((a - 15) * 3.14159 / 360) * g.sinSubStep[c]) /
            100);
    }
    return p;
}

bool sameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

TEST(PointGroupDecoding, WorkedExamples) {
    const ChannelGeometry geometry;

    const MuchLidarData a = decode({0x05, 0x11, 0x94, 0x00, 0x64, 0x00, 0xC8});
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a.laserIds[0], 5);
    EXPECT_FLOAT_EQ(a.azimuths[0], 45.0f);
    EXPECT_FLOAT_EQ(a.distances[0], 100.0f);
    EXPECT_EQ(a.intensities[0], 200);
    const PointXyz pa = geometry.point(5, a.azimuths[0], a.distances[0]);
    EXPECT_NEAR(pa.x, 0.680559, 1e-6);
    EXPECT_NEAR(pa.y, 0.680558, 1e-6);
    EXPECT_NEAR(pa.z, -0.268080, 1e-6);

    const MuchLidarData b = decode({0x02, 0x23, 0x28, 0x0C, 0x80, 0x00, 0x10});
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b.laserIds[0], 2);
    EXPECT_FLOAT_EQ(b.azimuths[0], 90.0f);
    EXPECT_FLOAT_EQ(b.distances[0], 3200.0f);
    EXPECT_EQ(b.intensities[0], 16);
    const PointXyz pb = geometry.point(2, b.azimuths[0], b.distances[0]);
    EXPECT_NEAR(pb.x, 0.0000407, 1e-7); // not 0: pi is taken as 3.14159
    EXPECT_NEAR(pb.y, 30.6822, 1e-4);
    EXPECT_NEAR(pb.z, -9.01589, 1e-5);
}

TEST(PointGroupDecoding, FractionalFieldsKeepTheirResolution) {
    const MuchLidarData f = decode({0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f.laserIds[0], 127);
    EXPECT_EQ(f.azimuths[0], 65535.0f / 100.0f);
    EXPECT_EQ(f.distances[0], static_cast<float>(16777215.0 / 256.0));
    EXPECT_EQ(f.intensities[0], 255);
}

TEST(PointGroupDecoding, GroupsWithoutAValidChannelYieldNoPoint) {
    // 0xFF marks an empty group (or a marker); 128..254 would index past
    // every per-channel table and is dropped.
    for (int channel : {128, 200, 254, 255}) {
        MuchLidarData frame;
        const std::uint8_t group[7] = {
            static_cast<std::uint8_t>(channel), 0x11, 0x94, 0, 0x64, 0, 1};
        EXPECT_FALSE(DataPacket::decodeGroup(group, frame)) << channel;
        EXPECT_TRUE(frame.empty()) << channel;
    }
}

TEST(ChannelGeometry, TellingTableRows) {
    const ChannelGeometry g;
    EXPECT_NEAR(g.cosElevation[0], 0.956305, 1e-6);
    EXPECT_NEAR(g.cosElevation[127], 0.967046, 1e-6);
    for (int c = 0; c < 4; ++c) {
        EXPECT_NEAR(g.sinBaseElevation[c], -0.292371, 1e-6);
        EXPECT_NEAR(g.sinBaseElevation[124 + c], 0.241922, 1e-6);
    }
    EXPECT_EQ(g.sinSubStep[0], 0.0f);
    EXPECT_EQ(g.sinSubStep[4], 0.0f);
    EXPECT_NEAR(g.sinSubStep[1], 0.00436331, 1e-8);
    EXPECT_GT(g.sinSubStep[3], g.sinSubStep[2]);
}

TEST(ChannelGeometry, ChannelsWithoutSubStepHaveAzimuthIndependentHeight) {
    const ChannelGeometry g;
    for (int channel : {0, 4, 8, 124}) {
        const float z0 = g.point(channel, 0.0f, 1234.5f).z;
        for (float a : {10.0f, 90.0f, 179.99f, 359.99f}) {
            EXPECT_EQ(g.point(channel, a, 1234.5f).z, z0) << channel << " " << a;
        }
    }
    // A sub-stepped channel does move with the azimuth.
    EXPECT_NE(g.point(1, 0.0f, 1234.5f).z, g.point(1, 180.0f, 1234.5f).z);
}

TEST(ChannelGeometry, MatchesTheDefiningExpressionsToTheBit) {
    const ChannelGeometry g;
    // Every azimuth the field can carry, on a spread of channels (both the
    // odd-group and even-group forms), then azimuths from elsewhere.
    for (std::uint32_t raw = 0; raw < 65536; raw += 7) {
        const float a = AzimuthTrigTable::azimuthOf(raw);
        for (int c : {0, 1, 5, 6, 11, 66, 127}) {
            const PointXyz got = g.point(c, a, 5000.25f);
            const PointXyz want = referencePoint(g, c, a, 5000.25f);
            ASSERT_TRUE(sameBits(got.x, want.x) && sameBits(got.y, want.y) &&
                        sameBits(got.z, want.z))
                << "raw " << raw << " channel " << c;
        }
    }
    for (float a : {-1.0f, 0.005f, 12.3456f, 700.0f}) {
        const PointXyz got = g.point(7, a, 321.0f);
        const PointXyz want = referencePoint(g, 7, a, 321.0f);
        EXPECT_TRUE(sameBits(got.x, want.x) && sameBits(got.y, want.y) && sameBits(got.z, want.z))
            << a;
    }
}
