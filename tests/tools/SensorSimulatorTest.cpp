#include "tools/sim/SensorSimulator.h"
#include "lidar/ChannelGeometry.h"
#include "lidar/FrameCutter.h"
#include "tools/sim/SyntheticScene.h"

#include <gtest/gtest.h>
#include <set>

namespace {

// A revolution of one-degree steps keeps the tests quick.
constexpr int kOneDegree = 100;

std::vector<MuchLidarData> cut(const std::vector<SensorSimulator::Payload>& payloads) {
    FrameCutter cutter;
    std::vector<MuchLidarData> frames;
    for (const auto& p : payloads) {
        cutter.feed(p.data(), [&](const MuchLidarData& f) { frames.push_back(f); });
    }
    return frames;
}

std::vector<SensorSimulator::Payload> revolutions(SensorSimulator& simulator, int count) {
    std::vector<SensorSimulator::Payload> payloads;
    for (int r = 0; r < count; ++r) {
        simulator.nextRevolution(payloads);
    }
    simulator.finish(payloads);
    return payloads;
}

} // namespace

TEST(SyntheticScene, RaysMeetTheNearestSurface) {
    SyntheticScene scene;
    scene.setGround(-2);
    scene.addBox({{10, -1, -2}, {12, 1, 1}, 0.5});
    scene.addPole({5, 5, 0.5, -2, 3, 0.5});

    const auto down = scene.cast({0, 0, -1});
    ASSERT_TRUE(down);
    EXPECT_NEAR(down->range, 2.0, 1e-9);

    const auto box = scene.cast({1, 0, 0});
    ASSERT_TRUE(box);
    EXPECT_NEAR(box->range, 10.0, 1e-9);

    const double diagonal = std::sqrt(50.0);
    const auto pole = scene.cast({1 / std::sqrt(2.0), 1 / std::sqrt(2.0), 0});
    ASSERT_TRUE(pole);
    EXPECT_NEAR(pole->range, diagonal - 0.5, 1e-9);

    // Over the box's top and into the open sky: nothing within range.
    EXPECT_FALSE(scene.cast({0.9, 0, 0.435889894}));
    EXPECT_FALSE(scene.cast({-1, 0, 0}));
    // The ground beyond the longest range is not seen.
    EXPECT_FALSE(scene.cast({-0.99995, 0, -0.01}));
}

TEST(SyntheticScene, DistanceToSurfaceIsZeroOnFacesAndGrowsAway) {
    SyntheticScene scene;
    scene.setGround(-2);
    scene.addBox({{10, -1, -2}, {12, 1, 1}, 0.5});
    scene.addPole({5, 5, 0.5, -2, 3, 0.5});
    EXPECT_NEAR(scene.distanceToSurface({3, 3, -2}), 0, 1e-12);
    EXPECT_NEAR(scene.distanceToSurface({10, 0.3, 0}), 0, 1e-12);
    EXPECT_NEAR(scene.distanceToSurface({11, 0.2, 1}), 0, 1e-12);
    EXPECT_NEAR(scene.distanceToSurface({5.5, 5, 1}), 0, 1e-12);
    EXPECT_NEAR(scene.distanceToSurface({11.5, 0, 0}), 0.5, 1e-12); // inside the box
    EXPECT_NEAR(scene.distanceToSurface({9, 0, 0}), 1, 1e-12);
    EXPECT_NEAR(scene.distanceToSurface({5, 3.5, 1}), 1, 1e-12); // beside the pole
}

TEST(SyntheticScene, IntensityFollowsSurfaceAndAngleOfIncidence) {
    SyntheticScene scene;
    scene.setGround(-1.8);
    auto toward = [](double x, double y, double z) {
        const double n = std::sqrt(x * x + y * y + z * z);
        return Vec3{x / n, y / n, z / n};
    };
    // A lane marking (|y| 1.6..1.75, dashed every 3 m) against bare asphalt
    // at the same range and angle.
    const auto marking = scene.cast(toward(1, 1.7, -1.8));
    const auto asphalt = scene.cast(toward(1.7, -1, -1.8));
    ASSERT_TRUE(marking && asphalt);
    EXPECT_GT(marking->intensity, 2 * asphalt->intensity);

    scene.addBox({{10, -50, -1.8}, {11, 50, 5}, 0.6});
    const auto headOn = scene.cast({1, 0, 0});
    const auto slanted = scene.cast(toward(1, 1.5, 0));
    ASSERT_TRUE(headOn && slanted);
    EXPECT_GT(headOn->intensity, slanted->intensity);
}

TEST(SensorSimulator, EachRevolutionIsOneFrameBetweenMarkers) {
    SensorSimulator simulator(SyntheticScene::street(), kOneDegree);
    EXPECT_EQ(simulator.azimuthsPerRevolution(), 360);
    const auto payloads = revolutions(simulator, 3);

    // Exactly one marker per revolution plus the closing one, always on a
    // group boundary, and no point that spells one at any byte offset (as
    // capture readers search).
    std::size_t markers = 0;
    for (const auto& p : payloads) {
        for (std::size_t at = 0; at + 3 <= p.size(); ++at) {
            if (p[at] == 0xFF && p[at + 1] == 0xAA && p[at + 2] == 0xBB) {
                EXPECT_EQ(at % DataPacket::kGroupSize, 0u);
                EXPECT_LT(at, DataPacket::kGroupBytes);
                ++markers;
            }
        }
    }
    EXPECT_EQ(markers, 4u);

    const auto frames = cut(payloads);
    ASSERT_EQ(frames.size(), 3u);
    for (const MuchLidarData& f : frames) {
        EXPECT_EQ(f.size(), simulator.pointsPerRevolution());
        EXPECT_EQ(f, frames[0]);
    }
    // The payloads are no more than the points need.
    const std::size_t groups = 3 * (simulator.pointsPerRevolution() + 1) + 1;
    EXPECT_EQ(payloads.size(), (groups + DataPacket::kGroupCount - 1) / DataPacket::kGroupCount);
}

TEST(SensorSimulator, ScanCoversEveryChannelAndAzimuthWithVaryingIntensity) {
    SensorSimulator simulator(SyntheticScene::street(), kOneDegree);
    const MuchLidarData frame = cut(revolutions(simulator, 1)).at(0);
    std::set<int> channels;
    std::set<float> azimuths;
    std::set<int> intensities;
    for (std::size_t i = 0; i < frame.size(); ++i) {
        channels.insert(frame.laserIds[i]);
        azimuths.insert(frame.azimuths[i]);
        intensities.insert(frame.intensities[i]);
    }
    // Upward channels see sky in places, but every channel hits something
    // (the buildings are high enough).
    EXPECT_EQ(channels.size(), 128u);
    EXPECT_EQ(azimuths.size(), 360u);
    EXPECT_EQ(*azimuths.rbegin(), 359.0f);
    EXPECT_GT(intensities.size(), 50u);
    // Some rays go to the sky and are left out.
    EXPECT_LT(frame.size(), 360u * 128u);
    EXPECT_GT(frame.size(), 360u * 128u / 2);
}

TEST(SensorSimulator, DecodedPointsLieOnTheSceneSurfaces) {
    const SyntheticScene scene = SyntheticScene::street();
    SensorSimulator simulator(scene, 37); // an odd step, 0.37 degrees
    const MuchLidarData frame = cut(revolutions(simulator, 1)).at(0);
    const ChannelGeometry geometry;
    double worst = 0;
    for (std::size_t i = 0; i < frame.size(); ++i) {
        const PointXyz p = geometry.point(frame.laserIds[i], frame.azimuths[i], frame.distances[i]);
        const Vec3 point{p.x, p.y, p.z};
        worst = std::max(worst, scene.distanceToSurface(point));
        // And it is the first surface along its ray, not one behind it.
        const auto hit = scene.cast(point * (1 / point.length()));
        ASSERT_TRUE(hit) << i;
        ASSERT_NEAR(hit->range, point.length(), 0.002) << i;
    }
    EXPECT_LT(worst, 0.002); // metres
}

TEST(SensorSimulator, RevolutionsContinueThePartlyFilledPayload) {
    SensorSimulator simulator(SyntheticScene::street(), kOneDegree);
    std::vector<SensorSimulator::Payload> first;
    simulator.nextRevolution(first);
    std::vector<SensorSimulator::Payload> second;
    simulator.nextRevolution(second);
    const std::size_t groups = simulator.pointsPerRevolution() + 1;
    EXPECT_EQ(first.size(), groups / DataPacket::kGroupCount);
    EXPECT_EQ(first.size() + second.size(), 2 * groups / DataPacket::kGroupCount);
    // The second revolution's marker sits where the first one's points end.
    const std::size_t markerAt = groups % DataPacket::kGroupCount * DataPacket::kGroupSize;
    EXPECT_TRUE(DataPacket::isFrameMarker(second[0].data() + markerAt));
}
