#include "lidar/PointAnnotation.h"

#include <gtest/gtest.h>

TEST(PointAnnotation, DistanceAndAzimuthWithSixDecimals) {
    EXPECT_EQ(PointAnnotation::text(-1, 1, 0), "Distance:1.414214    Azimuth:135.000000");
    EXPECT_EQ(PointAnnotation::text(0, 0, 2), "Distance:2.000000    Azimuth:0.000000");
}

TEST(PointAnnotation, AzimuthInEveryQuadrantAndOnTheAxes) {
    const struct {
        double x, y, degrees;
    } cases[] = {{1, 0, 0},     {1, 1, 45},   {0, 1, 90},   {-1, 1, 135}, {-1, 0, 180},
                 {-1, -1, 225}, {0, -1, 270}, {1, -1, 315}, {0, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_NEAR(PointAnnotation::azimuthDegrees(c.x, c.y), c.degrees, 1e-6)
            << c.x << ", " << c.y;
    }
}
