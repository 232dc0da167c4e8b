#include "lidar/CsvRowWriter.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <sstream>

namespace {

// What a default-formatted C++ stream writes for the value.
std::string streamed(float value) {
    std::ostringstream s;
    s << value;
    return s.str();
}

std::string formatted(float value) {
    std::string out;
    CsvRowWriter::appendFloat(out, value);
    return out;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        result.push_back(line);
    }
    return result;
}

// The row written for one point, built with a stream as the reference.
std::string referenceRow(const ChannelGeometry& g, int channel, float azimuth, float distance,
                         int intensity) {
    const PointXyz p = g.point(channel, azimuth, distance);
    std::ostringstream s;
    s << p.x << ',' << p.y << ',' << p.z << ',' << channel << ',' << azimuth << ','
      << distance / 100 << ',' << intensity;
    return s.str();
}

struct CsvRowWriterTest : ::testing::Test {
    ChannelGeometry geometry;
    CsvRowWriter single{geometry, CsvRowWriter::Layout::SingleFrame};
    CsvRowWriter multi{geometry, CsvRowWriter::Layout::MultiFrame};
    CsvExportFilter everything;

    std::vector<std::string> rows(CsvRowWriter& writer, const MuchLidarData& frame,
                                  const CsvExportFilter& filter, int frameNumber = 0) {
        std::string out;
        const std::size_t count = writer.appendFrame(out, frame, filter, frameNumber);
        auto result = lines(out);
        EXPECT_EQ(result.size(), count);
        return result;
    }
};

} // namespace

TEST(CsvNumberFormat, MatchesTheStreamDefaultOnChosenValues) {
    const float inf = std::numeric_limits<float>::infinity();
    for (float v : {0.0f,         -0.0f,     1.0f,      -0.5f,      12.345678f, 0.0001f, 0.00001f,
                    0.000012345f, 123456.0f, 999999.0f, 999999.5f,  1234567.0f, 1e20f,   -3.4e38f,
                    1e-40f,       359.99f,   655.35f,   65535.996f, inf,        -inf}) {
        EXPECT_EQ(formatted(v), streamed(v)) << v;
    }
    EXPECT_EQ(formatted(12.345678f), "12.3457");
    EXPECT_EQ(formatted(1234567.0f), "1.23457e+06");
    EXPECT_EQ(formatted(0.00001f), "1e-05");
}

TEST(CsvNumberFormat, MatchesTheStreamDefaultAcrossTheFloatRange) {
    // A stride through every bit pattern, plus the values the data path
    // produces: azimuths, distances in metres and coordinates.
    for (std::uint64_t bits = 0; bits < (1ull << 32); bits += 4099) {
        float v;
        const auto b = static_cast<std::uint32_t>(bits);
        std::memcpy(&v, &b, sizeof v);
        if (std::isnan(v)) {
            continue;
        }
        ASSERT_EQ(formatted(v), streamed(v)) << "bits " << b;
    }
    std::mt19937 random(7);
    std::uniform_int_distribution<std::uint32_t> raw24(0, 0xFFFFFF);
    std::uniform_real_distribution<float> metres(-300.0f, 300.0f);
    for (int i = 0; i < 200000; ++i) {
        const float azimuth = static_cast<float>(i % 65536) / 100.0f;
        const float distance = static_cast<float>(raw24(random) / 256.0) / 100;
        const float coordinate = metres(random);
        ASSERT_EQ(formatted(azimuth), streamed(azimuth));
        ASSERT_EQ(formatted(distance), streamed(distance));
        ASSERT_EQ(formatted(coordinate), streamed(coordinate));
    }
}

TEST(CsvNumberFormat, TiesGoToEvenAndRandomBitPatternsMatchPrintf) {
    // Exact halves at the sixth digit, and the edges of the exact integer
    // path and of the fixed notation.
    const struct {
        float value;
        const char* text;
    } chosen[] = {{123456.5f, "123456"},
                  {123457.5f, "123458"},
                  {-49654.25f, "-49654.2"},
                  {1234565.0f, "1.23456e+06"},
                  {1234575.0f, "1.23458e+06"},
                  {999999.5f, "1e+06"},
                  {0.0001f, "0.0001"},
                  {9.99999e-05f, "9.99999e-05"},
                  {1.9073486e-06f, "1.90735e-06"},
                  {1.0995116e12f, "1.09951e+12"}};
    for (const auto& c : chosen) {
        EXPECT_EQ(formatted(c.value), c.text) << c.text;
    }
    std::mt19937 random(11);
    std::uniform_int_distribution<std::uint32_t> bits;
    char expected[32];
    for (int i = 0; i < 2'000'000; ++i) {
        const std::uint32_t b = bits(random);
        float v;
        std::memcpy(&v, &b, sizeof v);
        if (std::isnan(v)) {
            continue;
        }
        std::snprintf(expected, sizeof expected, "%g", static_cast<double>(v));
        ASSERT_EQ(formatted(v), expected) << "bits " << b;
    }
}

// Every positive float (the sign only adds a '-'); takes minutes, so it runs
// on request: lidar_tests --gtest_also_run_disabled_tests
// --gtest_filter='*EveryPositiveFloat*'
TEST(CsvNumberFormat, DISABLED_EveryPositiveFloatMatchesPrintf) {
    char expected[32];
    for (std::uint32_t b = 0; b <= 0x7F800000u; ++b) {
        float v;
        std::memcpy(&v, &b, sizeof v);
        std::snprintf(expected, sizeof expected, "%g", static_cast<double>(v));
        ASSERT_EQ(formatted(v), expected) << "bits " << b;
    }
}

TEST(CsvNumberFormat, IntegersAreWrittenInDecimal) {
    std::string out;
    CsvRowWriter::appendInteger(out, 0);
    out += ' ';
    CsvRowWriter::appendInteger(out, 127);
    out += ' ';
    CsvRowWriter::appendInteger(out, -42);
    EXPECT_EQ(out, "0 127 -42");
}

TEST_F(CsvRowWriterTest, HeadersOfBothLayouts) {
    std::string out;
    single.appendHeader(out);
    EXPECT_EQ(out, "Points_X,Points_Y,Points_Z,Laser_id,Azimuth,Distance,Intensity\n");
    out.clear();
    multi.appendHeader(out);
    EXPECT_EQ(out, "FrameNumbers,Points_X,Points_Y,Points_Z,Laser_id,Azimuth,Distance,Intensity\n");
}

TEST_F(CsvRowWriterTest, RowFieldsComeFromTheGeometryAndTheRecord) {
    MuchLidarData frame;
    frame.append(5, 45.0f, 100.0f, 200);
    frame.append(2, 90.0f, 3200.0f, 16);
    const auto r = rows(single, frame, everything);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0], "4.0709e-05,30.6822,-9.01589,2,90,32,16");
    EXPECT_EQ(r[1], "0.680559,0.680558,-0.26808,5,45,1,200");
    EXPECT_EQ(r[0], referenceRow(geometry, 2, 90.0f, 3200.0f, 16));

    const auto m = rows(multi, frame, everything, 7);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[1], "7,0.680559,0.680558,-0.26808,5,45,1,200");
}

TEST_F(CsvRowWriterTest, RowsAreGroupedByChannelInStoredOrder) {
    MuchLidarData frame;
    // Arrival order mixes channels; each point's distance tells it apart.
    const int channels[] = {127, 3, 0, 3, 127, 64, 0, 3};
    for (int i = 0; i < 8; ++i) {
        frame.append(channels[i], 10.0f * i, 100.0f * (i + 1), i);
    }
    const auto r = rows(single, frame, everything);
    std::vector<std::string> expected;
    for (int i : {2, 6, 1, 3, 7, 5, 0, 4}) {
        expected.push_back(referenceRow(geometry, channels[i], 10.0f * i, 100.0f * (i + 1), i));
    }
    EXPECT_EQ(r, expected);
}

TEST_F(CsvRowWriterTest, DistanceZeroIsWrittenAndChannelsOutsideTheTablesAreNot) {
    MuchLidarData frame;
    frame.append(4, 1.0f, 0.0f, 9);
    frame.append(128, 1.0f, 50.0f, 9); // never decoded, but the record allows it
    frame.append(-1, 1.0f, 50.0f, 9);
    frame.append(4, 2.0f, -1.0f, 9);
    const auto r = rows(single, frame, everything);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0], "0,0,-0,4,1,0,9");
}

TEST_F(CsvRowWriterTest, ChannelFlagsAndTheInclusiveAzimuthWindowSelectPoints) {
    MuchLidarData frame;
    for (float a : {9.99f, 10.0f, 15.0f, 20.0f, 20.01f}) {
        frame.append(1, a, 500.0f, 1);
        frame.append(2, a, 500.0f, 2);
    }
    CsvExportFilter filter;
    filter.channels[2] = false;
    filter.minAngle = 10.0f;
    filter.maxAngle = 20.0f;
    const auto r = rows(multi, frame, filter, 1);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0], "1," + referenceRow(geometry, 1, 10.0f, 500.0f, 1));
    EXPECT_EQ(r[2], "1," + referenceRow(geometry, 1, 20.0f, 500.0f, 1));

    // A window that is empty (minimum above maximum) writes nothing.
    filter.minAngle = 200;
    filter.maxAngle = 100;
    EXPECT_TRUE(rows(multi, frame, filter, 1).empty());
}

TEST_F(CsvRowWriterTest, SelectionBoxKeepsPointsOnItsFaces) {
    MuchLidarData frame;
    frame.append(0, 0.0f, 1000.0f, 1);
    frame.append(0, 90.0f, 1000.0f, 2);
    frame.append(0, 180.0f, 1000.0f, 3);
    const PointXyz p = geometry.point(0, 0.0f, 1000.0f);
    CsvExportFilter filter;
    filter.box = SelectionBox{p.x, p.x + 1, p.y, p.y, -100, p.z};
    const auto r = rows(single, frame, filter);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0], referenceRow(geometry, 0, 0.0f, 1000.0f, 1));

    filter.box->zMax = std::nextafter(p.z, -1000.0f);
    EXPECT_TRUE(rows(single, frame, filter).empty());
}

TEST_F(CsvRowWriterTest, AppendingKeepsEarlierTextAndForgetsTheLastFrame) {
    MuchLidarData big;
    for (int i = 0; i < 300; ++i) {
        big.append(i % 128, 1.0f, 100.0f + i, 0);
    }
    MuchLidarData small;
    small.append(3, 2.0f, 123.0f, 4);
    std::string out = "kept\n";
    EXPECT_EQ(single.appendFrame(out, big, everything), 300u);
    EXPECT_EQ(single.appendFrame(out, small, everything), 1u);
    const auto l = lines(out);
    ASSERT_EQ(l.size(), 302u);
    EXPECT_EQ(l.front(), "kept");
    EXPECT_EQ(l.back(), referenceRow(geometry, 3, 2.0f, 123.0f, 4));
}
