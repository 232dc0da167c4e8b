#include "lidar/ExportedPoints.h"
#include "lidar/FrameConverter.h"
#include "lidar/PoseTransform.h"
#include "lidar/SensorPalette.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

SensorPose poseOf(double x, double y, double z, double roll, double pitch, double yaw) {
    SensorPose p;
    p.values = {x, y, z, roll, pitch, yaw};
    return p;
}

void expectNear(const PointXyz& p, float x, float y, float z) {
    EXPECT_NEAR(p.x, x, 1e-5) << "x";
    EXPECT_NEAR(p.y, y, 1e-5) << "y";
    EXPECT_NEAR(p.z, z, 1e-5) << "z";
}

} // namespace

TEST(PoseTransform, RollsThenPitchesThenYawsThenMoves) {
    // Each turn alone, a quarter turn counter-clockwise about its axis.
    expectNear(PoseTransform(poseOf(0, 0, 0, 90, 0, 0)).apply({0, 1, 0}), 0, 0, 1);
    expectNear(PoseTransform(poseOf(0, 0, 0, 0, 90, 0)).apply({0, 0, 1}), 1, 0, 0);
    expectNear(PoseTransform(poseOf(0, 0, 0, 0, 0, 90)).apply({1, 0, 0}), 0, 1, 0);
    // Roll first: (0, 1, 0) rolls up to z, which the yaw leaves; yawed
    // first it would have gone to -x and stayed level.
    expectNear(PoseTransform(poseOf(0, 0, 0, 90, 0, 90)).apply({0, 1, 0}), 0, 0, 1);
    // Pitch before yaw: z pitches to x, then yaws to y.
    expectNear(PoseTransform(poseOf(0, 0, 0, 0, 90, 90)).apply({0, 0, 1}), 0, 1, 0);
    // The move comes last, in the world's axes.
    expectNear(PoseTransform(poseOf(1, 2, 3, 0, 0, 90)).apply({2, 0, 0}), 1, 4, 3);
    // 30 degrees of yaw: cos 30 = 0.8660254, sin 30 = 0.5.
    expectNear(PoseTransform(poseOf(0, 0, -1.5, 0, 0, 30)).apply({2, 0, 4}), 1.7320508f, 1, 2.5f);
}

TEST(PoseTransform, AZeroPoseLeavesEveryPointToTheBit) {
    const PoseTransform identity;
    EXPECT_TRUE(identity.isIdentity());
    EXPECT_TRUE(PoseTransform(SensorPose{}).isIdentity());
    EXPECT_FALSE(PoseTransform(poseOf(0, 0, 0, 0, 0, 1e-9)).isIdentity());
    const PointXyz odd{1.0000001f, -3.3333333f, 1e-30f};
    const PointXyz same = identity.apply(odd);
    EXPECT_EQ(same.x, odd.x);
    EXPECT_EQ(same.y, odd.y);
    EXPECT_EQ(same.z, odd.z);
}

TEST(SensorPose, KeptAsTextAndTypedFieldByField) {
    const SensorPose p = poseOf(1.5, -0.25, 2, 0, -3.75, 179.9);
    EXPECT_EQ(p.text(), QStringLiteral("1.5 -0.25 2 0 -3.75 179.9"));
    EXPECT_EQ(SensorPose::parse(p.text()), p);
    EXPECT_EQ(SensorPose::fieldText(0.1), QStringLiteral("0.1"));
    // Whatever cannot be a pose is not read as one.
    for (const char* bad : {"", "1 2 3 4 5", "1 2 3 4 5 6 7", "1 2 3 4 5 x", "1001 0 0 0 0 0",
                            "0 0 0 0 0 361", "nan 0 0 0 0 0", "1,5 0 0 0 0 0"}) {
        EXPECT_FALSE(SensorPose::parse(QString::fromLatin1(bad))) << bad;
    }
    EXPECT_EQ(SensorPose::parseField(SensorPose::X, QStringLiteral(" -1000 ")), -1000.0);
    EXPECT_FALSE(SensorPose::parseField(SensorPose::X, QStringLiteral("1000.5")));
    EXPECT_EQ(SensorPose::parseField(SensorPose::Yaw, QStringLiteral("-360")), -360.0);
    EXPECT_FALSE(SensorPose::parseField(SensorPose::Roll, QStringLiteral("inf")));
    EXPECT_FALSE(SensorPose::parseField(SensorPose::Pitch, QStringLiteral("")));
    // -0 is the sensor's own position: the pose stays the identity.
    EXPECT_TRUE(SensorPose::parse(QStringLiteral("-0 0 0 0 0 -0"))->isIdentity());
}

TEST(FrameConverter, PlacesPointsByThePoseBeforeBoxRowsAndElevationColours) {
    const ChannelGeometry geometry;
    const FrameConverter converter(geometry);
    MuchLidarData frame;
    frame.append(68, 0.0f, 1000.0f, 10); // about 10 m ahead on the level channel
    frame.append(68, 90.0f, 1000.0f, 20);
    const PointXyz a = geometry.point(68, 0.0f, 1000.0f);
    const PointXyz b = geometry.point(68, 90.0f, 1000.0f);

    // A quarter turn to the left, 2 m up, 10 m along x: (x, y, z) goes to
    // (10 - y, x, z + 2).
    FrameSettings settings;
    settings.pose = PoseTransform(poseOf(10, 0, 2, 0, 0, 90));
    settings.colourMode = static_cast<int>(ColourMode::Elevation);
    settings.box = SelectionBox{9, 11, 9, 11, 1, 3}; // around the first point, placed
    FrameConversion out;
    converter.convert(frame, settings, out);
    ASSERT_EQ(out.shown->size(), 2u);
    const auto& p = out.shown->points[0];
    EXPECT_NEAR(p.x, 10 - a.y, 1e-5);
    EXPECT_NEAR(p.y, a.x, 1e-5);
    EXPECT_NEAR(p.z, a.z + 2, 1e-5);
    EXPECT_NEAR(out.shown->points[1].x, 10 - b.y, 1e-5);
    // 2 m up: the elevation colour of 1 < z < 5, green.
    EXPECT_EQ(p.g, 128);
    ASSERT_EQ(out.inBox->size(), 1u);
    EXPECT_EQ(out.statistics.count, 1);
    EXPECT_NEAR(out.rows[0].x, 10 - a.y, 1e-5);

    // A fresh selection of that box lists the same point.
    const SelectionListing listed =
        converter.listSelection(frame, nullptr, settings.box, 1, settings.pose);
    ASSERT_EQ(listed.rows.size(), 1u);
    EXPECT_EQ(listed.rows[0].intensity, 10);
    EXPECT_TRUE(converter.listSelection(frame, nullptr, settings.box, 1).rows.empty());
}

TEST(FrameConverter, TheSensorColourModeGivesEveryPointItsSensorsColour) {
    const ChannelGeometry geometry;
    const FrameConverter converter(geometry);
    MuchLidarData frame;
    for (int i = 0; i < 3; ++i) {
        frame.append(i * 40, 30.0f * i, 500.0f, 60 * i);
    }
    FrameSettings settings;
    settings.colourMode = static_cast<int>(ColourMode::Sensor);
    settings.sensorColour = SensorPalette::colour(1);
    FrameConversion out;
    converter.convert(frame, settings, out);
    ASSERT_EQ(out.shown->size(), 3u);
    for (const auto& p : out.shown->points) {
        EXPECT_EQ((Rgb{p.r, p.g, p.b}), (Rgb{255, 140, 0}));
    }
    // Eight colours, all different; the ninth sensor takes the first again.
    for (int i = 0; i < 8; ++i) {
        for (int j = i + 1; j < 8; ++j) {
            EXPECT_FALSE(SensorPalette::colour(i) == SensorPalette::colour(j)) << i << " " << j;
        }
    }
    EXPECT_EQ(SensorPalette::colour(8), SensorPalette::colour(0));
}

TEST(ExportedPoints, ThePoseOfTheFilterPlacesPointsBeforeTheBoxTakesThem) {
    const ChannelGeometry geometry;
    ExportedPoints points(geometry);
    MuchLidarData frame;
    frame.append(68, 0.0f, 1000.0f, 1);   // ahead
    frame.append(68, 180.0f, 1000.0f, 2); // behind
    CsvExportFilter filter;
    filter.box = SelectionBox{-100, 0, -100, 100, -100, 100}; // behind the origin
    std::vector<std::pair<int, PointXyz>> written;
    const auto collect = [&](std::uint32_t i, int, float, float, const PointXyz& p) {
        written.push_back({static_cast<int>(i), p});
    };
    points.forEach(frame, filter, collect);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].first, 1);

    // Turned half round, the point ahead stands behind and is written,
    // with its placed coordinates.
    written.clear();
    filter.pose = PoseTransform(poseOf(0, 0, 0, 0, 0, 180));
    points.forEach(frame, filter, collect);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].first, 0);
    const PointXyz ahead = geometry.point(68, 0.0f, 1000.0f);
    expectNear(written[0].second, -ahead.x, -ahead.y, ahead.z);
}
