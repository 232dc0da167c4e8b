#include "formats/LasFile.h"
#include "ExpectedBytes.h"
#include "formats/GpsTime.h"

#include <gtest/gtest.h>
#include <limits>

TEST(LasFile, TwoPointsAsTheVersion12HeaderAndFormat1RecordsGiveThem) {
    // Coordinates that binary fractions hold exactly, so that every scaled
    // value and bound below is exact.
    const std::vector<LasFile::Point> points = {{1.5, -2.25, 0.125, 200, 3},
                                                {3.25, 0.75, 2.5, 7, 127}};
    LasFile::Info info;
    info.gpsTime = 1234.5;
    info.dayOfYear = 45;
    info.year = 2024;
    info.systemIdentifier = "SYS";
    info.generatingSoftware = "SW";
    std::string file = "before";
    ASSERT_TRUE(LasFile::encode(points, info, file));

    // Offsets: the middle of each extent in whole metres, 2, -1 and 1.
    ExpectedBytes expected;
    expected.raw("before")
        .raw("LASF")
        .u16(0)                  // file source ID
        .u16(1)                  // global encoding: adjusted standard GPS time
        .raw(std::string(16, 0)) // project ID
        .u8(1)
        .u8(2)
        .text("SYS", 32)
        .text("SW", 32)
        .u16(45)
        .u16(2024)
        .u16(227) // header size
        .u32(227) // offset to the points
        .u32(0)   // variable-length records
        .u8(1)    // point data format
        .u16(28)  // point record length
        .u32(2)
        .u32(2) // first returns
        .u32(0)
        .u32(0)
        .u32(0)
        .u32(0)
        .f64(0.001)
        .f64(0.001)
        .f64(0.001)
        .f64(2)
        .f64(-1)
        .f64(1)
        .f64(3.25) // max x, min x, max y, min y, max z, min z
        .f64(1.5)
        .f64(0.75)
        .f64(-2.25)
        .f64(2.5)
        .f64(0.125);
    const struct {
        std::int32_t x, y, z;
        std::uint16_t intensity;
        std::uint8_t userData;
    } records[] = {{-500, -1250, -875, 200, 3}, {1250, 1750, 1500, 7, 127}};
    for (const auto& r : records) {
        expected.i32(r.x).i32(r.y).i32(r.z).u16(r.intensity);
        expected.u8(0x09); // return 1 of 1
        expected.u8(0);    // classification
        expected.u8(0);    // scan angle rank
        expected.u8(r.userData);
        expected.u16(0); // point source ID
        expected.f64(1234.5);
    }
    EXPECT_EQ(hex(file), hex(expected.data));
}

TEST(LasFile, NoPointsMakeAHeaderAloneAndUnwritableCoordinatesNoFile) {
    std::string file;
    ASSERT_TRUE(LasFile::encode({}, LasFile::Info{}, file));
    EXPECT_EQ(file.size(), LasFile::kHeaderSize);
    EXPECT_EQ(file.substr(107, 4), std::string(4, '\0')); // no point

    file.clear();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(LasFile::encode({{nan, 0, 0, 0, 0}}, LasFile::Info{}, file));
    // 3,000 km from the middle of the two: beyond 2^31 millimetres.
    EXPECT_FALSE(LasFile::encode({{-3e6, 0, 0, 0, 0}, {3e6, 0, 0, 0, 0}}, LasFile::Info{}, file));
    EXPECT_TRUE(file.empty());
}

TEST(GpsTime, RunsAheadOfUtcByTheLeapSecondsAndLasTakesItLessAThousandMillion) {
    // 2017-01-01 00:00:00 UTC, the 18th leap second's start, is GPS second
    // 1,167,264,018; a second before it the difference was 17.
    EXPECT_EQ(GpsTime::leapSeconds(1483228800), 18);
    EXPECT_EQ(GpsTime::leapSeconds(1483228799), 17);
    EXPECT_EQ(GpsTime::leapSeconds(315964800), 0); // the GPS epoch
    EXPECT_EQ(GpsTime::adjustedStandard(1483228800'250000000), 167264018.25);
    EXPECT_EQ(GpsTime::adjustedStandard(1483228799'000000000), 167264016.0);
}
