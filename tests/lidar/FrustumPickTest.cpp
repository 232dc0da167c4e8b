#include "lidar/FrustumPick.h"

#include <gtest/gtest.h>

namespace {

// World x and y are clip x and y; clip w is the distance in front of an eye
// at the origin looking down -z, and clip z runs from -1 at 1 m to 1 at 3 m.
constexpr std::array<double, 16> kLookingDown = {1, 0, 0,  0,  //
                                                 0, 1, 0,  0,  //
                                                 0, 0, -2, -3, //
                                                 0, 0, -1, 0};

} // namespace

TEST(FrustumPick, KeepsThePointsWhoseProjectionFallsInTheRectangleInFrontOfTheEye) {
    // A 100 x 100 view, the middle half dragged from its top right corner.
    const FrustumPick pick(kLookingDown, 100, 100, {75, 75, 25, 25});
    EXPECT_TRUE(pick.contains(0, 0, -2));
    EXPECT_TRUE(pick.contains(1, 1, -2));   // on the frustum's edge: x / w = 0.5
    EXPECT_TRUE(pick.contains(-1, -1, -2)); // and on its left and bottom edges
    EXPECT_TRUE(pick.contains(-1, 1, -2));
    EXPECT_TRUE(pick.contains(1, -1, -2));
    EXPECT_FALSE(pick.contains(1.1f, 0, -2));   // beside it
    EXPECT_TRUE(pick.contains(0.7f, 0, -1.5f)); // nearer, so the frustum is narrower...
    EXPECT_FALSE(pick.contains(0.8f, 0, -1.5f));
    EXPECT_FALSE(pick.contains(0, 0, -0.9f)); // ...but not before the near plane
    EXPECT_FALSE(pick.contains(0, 0, -3.1f)); // nor beyond the far one
    EXPECT_FALSE(pick.contains(0, 0, 2));     // behind the eye

    pcl::PointCloud<pcl::PointXYZRGB> cloud;
    for (float x : {0.0f, 5.0f, -0.5f, 0.2f}) {
        pcl::PointXYZRGB p;
        p.x = x;
        p.z = -2;
        cloud.push_back(p);
    }
    EXPECT_EQ(pick.indices(cloud), (std::vector<int>{0, 2, 3}));
}

TEST(FrustumPick, ARectangleWithoutWidthIsOnePixelWide) {
    // Pixel column 50 of 100: x / w from 0 to 0.02.
    const FrustumPick column(kLookingDown, 100, 100, {50, 10, 50, 90});
    EXPECT_TRUE(column.contains(0.03f, 0, -2));
    EXPECT_FALSE(column.contains(0.05f, 0, -2));
    EXPECT_FALSE(column.contains(-0.01f, 0, -2));
    EXPECT_FALSE(FrustumPick(kLookingDown, 0, 0, {0, 0, 10, 10}).contains(0, 0, -2));
}
