#include "lidar/RangeImage.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t kBlack = 0xff000000;
constexpr std::uint32_t kGrey = 0xff808080;

std::uint32_t rgb(int r, int g, int b) {
    return 0xff000000u | static_cast<std::uint32_t>(r << 16 | g << 8 | b);
}

int litPixels(const RangeImage& image, int row) {
    int lit = 0;
    for (int column = 0; column < image.columns(); ++column) {
        lit += image.pixel(column, row) != kBlack ? 1 : 0;
    }
    return lit;
}

class RangeImageTest : public ::testing::Test {
protected:
    ChannelGeometry geometry;
    RangeImage image{geometry};
};

} // namespace

TEST_F(RangeImageTest, EachPointLandsOnItsChannelsRowAndAzimuthsColumnInItsColour) {
    // Channel 127 is the highest beam (top row), channel 0 the lowest. The
    // middle column looks along x; a quarter turn to the left is a quarter
    // of the picture to the left.
    struct Case {
        int channel;
        float azimuth;
        int intensity;
        int row;
        int column;
        std::uint32_t colour;
    };
    const Case cases[] = {
        {127, 0.0f, 80, 0, 900, rgb(0, 255, 0)},       {0, 90.0f, 255, 127, 450, rgb(255, 0, 0)},
        {68, 270.0f, 128, 59, 1350, rgb(255, 254, 0)}, {1, 180.0f, 0, 126, 0, rgb(0, 0, 255)},
        {2, 180.2f, 16, 125, 1799, rgb(0, 128, 255)},
    };
    MuchLidarData frame;
    for (const Case& c : cases) {
        frame.append(c.channel, c.azimuth, 1000.0f, c.intensity);
    }
    image.build(frame, nullptr, 0);

    ASSERT_EQ(image.columns(), 1800); // one point per channel: the usual 0.2°
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.channel);
        EXPECT_EQ(image.pixel(c.column, c.row), c.colour);
        EXPECT_EQ(image.pointAt(c.column, c.row), static_cast<int>(i));
        EXPECT_EQ(litPixels(image, c.row), 1);
        EXPECT_EQ(image.channelOfRow(c.row), c.channel);
        EXPECT_NEAR(image.azimuthOfColumn(c.column), c.azimuth, 1e-4);
    }
    EXPECT_EQ(litPixels(image, 1), 0); // channel 126 returned nothing
}

TEST_F(RangeImageTest, SilentChannelsAreBlackHiddenOnesGreyAndTheNearestReturnWins) {
    MuchLidarData frame;
    for (int i = 0; i < 1800; ++i) {
        const float azimuth = static_cast<float>(i * 20) / 100.0f;
        frame.append(10, azimuth, 500.0f, 40); // every step
        frame.append(11, azimuth, 500.0f, 40);
        frame.append(12, azimuth, 0.0f, 40); // no distance: no return
    }
    frame.append(10, 0.0f, 200.0f, 255); // nearer, in the same pixel as the first
    frame.append(10, 0.0f, 800.0f, 0);   // farther: stays behind
    ChannelSelection channels;
    channels.laserSelected[11] = 0;
    image.build(frame, &channels, 0);

    const int row10 = image.rowOfChannel(10);
    EXPECT_EQ(litPixels(image, row10), 1800);
    EXPECT_EQ(image.pixel(900, row10), rgb(255, 0, 0)); // intensity 255
    EXPECT_EQ(image.pointAt(900, row10), static_cast<int>(frame.size()) - 2);
    for (int column : {0, 900, 1799}) {
        EXPECT_EQ(image.pixel(column, image.rowOfChannel(11)), kGrey);
        EXPECT_EQ(image.pointAt(column, image.rowOfChannel(11)), -1);
        EXPECT_EQ(image.pixel(column, image.rowOfChannel(12)), kBlack);
        EXPECT_EQ(image.pixel(column, image.rowOfChannel(13)), kBlack);
    }
}

TEST_F(RangeImageTest, ColumnsFollowTheStepMeasuredFromTheFrame) {
    // 0.4° steps with one point lost on the way: still 900 columns.
    MuchLidarData frame;
    for (int i = 0; i < 900; ++i) {
        if (i != 300) {
            frame.append(68, static_cast<float>(i * 40) / 100.0f, 500.0f, 10);
        }
    }
    image.build(frame, nullptr, 0);
    EXPECT_EQ(image.step(), 40);
    EXPECT_EQ(image.columns(), 900);
    EXPECT_EQ(litPixels(image, image.rowOfChannel(68)), 899);
    EXPECT_EQ(image.pixels().size(), 900u * 128u);

    // An empty frame keeps a picture of the usual size, all black.
    image.build(MuchLidarData{}, nullptr, 0);
    EXPECT_EQ(image.columns(), 1800);
    EXPECT_EQ(litPixels(image, 0), 0);
}
