#include "lidar/PointColour.h"

#include <gtest/gtest.h>
#include <ostream>

std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << '(' << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ')';
}

namespace {

struct Case {
    int value;
    Rgb expected;
};

constexpr Rgb kUnset{1, 2, 3};

Rgb byIntensity(int i) {
    return pointColour(0, 0, 0, 0, i, kUnset);
}
Rgb byElevation(float z) {
    return pointColour(2, 0, 0, z, 0, kUnset);
}
Rgb byAzimuth(float a) {
    return pointColour(3, 0, a, 0, 0, kUnset);
}
Rgb byChannel(int c) {
    return pointColour(4, c, 0, 0, 0, kUnset);
}

} // namespace

TEST(PointColour, IntensityRampWithItsLowByteWrap) {
    const Case cases[] = {
        {0, {0, 0, 255}},     {31, {0, 248, 255}},  {32, {0, 255, 255}}, {63, {0, 255, 131}},
        {64, {192, 255, 0}},  {79, {252, 255, 0}},  {80, {0, 255, 0}},   {127, {188, 255, 0}},
        {128, {255, 254, 0}}, {200, {255, 110, 0}}, {255, {255, 0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(byIntensity(c.value), c.expected) << "intensity " << c.value;
    }
}

TEST(PointColour, ElevationBoundariesFallToBlue) {
    const struct {
        float z;
        Rgb expected;
    } cases[] = {
        {-2.5f, {139, 69, 19}},   {-2.0f, {0, 0, 255}},  {-1.999f, {255, 255, 0}},
        {-0.001f, {255, 255, 0}}, {0.0f, {0, 0, 255}},   {0.5f, {255, 255, 255}},
        {1.0f, {0, 0, 255}},      {1.001f, {0, 128, 0}}, {4.999f, {0, 128, 0}},
        {5.0f, {0, 0, 255}},      {80.0f, {0, 0, 255}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(byElevation(c.z), c.expected) << "z " << c.z;
    }
}

TEST(PointColour, AzimuthSectors) {
    const struct {
        float a;
        Rgb expected;
    } cases[] = {
        {0.0f, {0, 255, 255}},   {44.99f, {0, 255, 255}},  {45.0f, {0, 125, 192}},
        {89.99f, {0, 125, 192}}, {90.0f, {0, 255, 0}},     {134.99f, {0, 255, 0}},
        {135.0f, {255, 255, 0}}, {359.99f, {255, 255, 0}}, {655.35f, {255, 255, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(byAzimuth(c.a), c.expected) << "azimuth " << c.a;
    }
}

TEST(PointColour, ChannelPairsThenRed) {
    const Case cases[] = {
        {0, {102, 102, 255}}, {1, {102, 102, 255}}, {2, {153, 153, 255}},  {5, {204, 204, 255}},
        {7, {255, 255, 255}}, {8, {255, 178, 178}}, {11, {255, 102, 102}}, {12, {255, 76, 76}},
        {13, {255, 76, 76}},  {14, {255, 0, 0}},    {127, {255, 0, 0}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(byChannel(c.value), c.expected) << "channel " << c.value;
    }
}

TEST(PointColour, SolidIsWhiteAndUnknownModesKeepThePreviousColour) {
    EXPECT_EQ(pointColour(1, 50, 200, -9, 17, kUnset), (Rgb{255, 255, 255}));
    EXPECT_EQ(pointColour(5, 50, 200, -9, 17, kUnset), kUnset);
    EXPECT_EQ(pointColour(-1, 50, 200, -9, 17, kUnset), kUnset);
}
