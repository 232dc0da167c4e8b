#include "lidar/CloudUnderCursor.h"
#include "lidar/RulerFigures.h"
#include "lidar/ScreenSnap.h"

#include <gtest/gtest.h>

TEST(RulerFigures, GivesDistanceHorizontalDistanceAndHeightToTheMillimetre) {
    const RulerFigures up = RulerFigures::between({1, 2, 3}, {4, 6, 15});
    EXPECT_DOUBLE_EQ(up.distance, 13);
    EXPECT_DOUBLE_EQ(up.horizontal, 5);
    EXPECT_DOUBLE_EQ(up.height, 12);
    EXPECT_EQ(up.text(), QStringLiteral("13.000 m\nhorizontal 5.000 m\nheight +12.000 m"));

    const RulerFigures down = RulerFigures::between({150.25f, 0, 1.5f}, {150.25f, 0.125f, 0.5f});
    EXPECT_EQ(down.text(), QStringLiteral("1.008 m\nhorizontal 0.125 m\nheight -1.000 m"));
}

namespace {

// A camera looking down -z at the square -1..1 of the plane, near plane at
// z = 1 and far plane at z = -1 (orthographic), in a 200 x 100 view.
ScreenSnap orthographicSnap() {
    return ScreenSnap({1, 0, 0, 0,  //
                       0, 1, 0, 0,  //
                       0, 0, -1, 0, //
                       0, 0, 0, 1},
                      200, 100);
}

ScreenSnap::Cloud cloudOf(std::initializer_list<std::array<float, 3>> points) {
    ScreenSnap::Cloud cloud;
    for (const auto& p : points) {
        pcl::PointXYZRGB q;
        q.x = p[0];
        q.y = p[1];
        q.z = p[2];
        cloud.push_back(q);
    }
    return cloud;
}

FrustumPick orthographicPick(ViewRectangle r) {
    return FrustumPick({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1}, 200, 100, r);
}

} // namespace

TEST(ScreenSnap, TakesThePointNearestTheCursorAndInFrontWhenTwoShowTogether) {
    const ScreenSnap snap = orthographicSnap();
    // Screen positions: (100, 50), (110, 50), and two at (150, 75) one
    // behind the other, and one beyond the far plane.
    const auto cloud =
        cloudOf({{0, 0, 0}, {0.1f, 0, 0}, {0.5f, 0.5f, -0.5f}, {0.5f, 0.5f, 0.5f}, {0, 0.2f, -2}});
    EXPECT_EQ(snap.nearest(cloud, 103, 51, 6), 0u);
    EXPECT_EQ(snap.nearest(cloud, 107, 50, 6), 1u);
    EXPECT_EQ(snap.nearest(cloud, 150.4, 75.3, 6), 3u); // z = 0.5 is nearer the camera
    // Empty space: nothing within the radius, nor from beyond the far plane.
    EXPECT_FALSE(snap.nearest(cloud, 60, 20, 6));
    EXPECT_FALSE(snap.nearest(cloud, 100, 60, 6));
    EXPECT_FALSE(snap.nearest(ScreenSnap::Cloud{}, 100, 50, 6));
}

TEST(CloudUnderCursor, AnAreaTakesTheCloudOfThePointNearestWhereTheDragBegan) {
    // On screen: cloud 0 at (100, 50) and (150, 75); cloud 1 at (110, 50)
    // and, outside the area, at (20, 10).
    const auto first = cloudOf({{0, 0, 0}, {0.5f, 0.5f, 0}});
    const auto second = cloudOf({{0.1f, 0, 0}, {-0.8f, -0.8f, 0}});
    const std::vector<const ScreenSnap::Cloud*> clouds{&first, nullptr, &second};
    const ScreenSnap snap = orthographicSnap();
    // Dragged from the right: (110, 50) is nearest the start.
    EXPECT_EQ(
        CloudUnderCursor::ofArea(clouds, orthographicPick({120, 40, 90, 80}), snap, {120, 40}), 2u);
    // The same area dragged from the top left corner.
    EXPECT_EQ(CloudUnderCursor::ofArea(clouds, orthographicPick({90, 80, 120, 40}), snap, {90, 80}),
              0u);
    EXPECT_FALSE(
        CloudUnderCursor::ofArea(clouds, orthographicPick({0, 90, 10, 99}), snap, {0, 90}));
}

TEST(CloudUnderCursor, AClickTakesTheCloudOfThePointNearestAndInFront) {
    // Both show at (150, 75), cloud 1's nearer the camera; cloud 0 also at
    // (100, 50).
    const auto first = cloudOf({{0.5f, 0.5f, -0.5f}, {0, 0, 0}});
    const auto second = cloudOf({{0.5f, 0.5f, 0.5f}});
    const std::vector<const ScreenSnap::Cloud*> clouds{&first, &second};
    const ScreenSnap snap = orthographicSnap();
    EXPECT_EQ(CloudUnderCursor::ofClick(clouds, snap, 150.2, 75.1, 6), 1u);
    EXPECT_EQ(CloudUnderCursor::ofClick(clouds, snap, 102, 51, 6), 0u);
    EXPECT_FALSE(CloudUnderCursor::ofClick(clouds, snap, 30, 30, 6));
}
