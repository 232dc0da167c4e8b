#include "lidar/FrameConverter.h"

#include <gtest/gtest.h>

namespace {

// A frame of `count` points on channel `channel`, distance 100 + i cm,
// azimuth i/100 degrees, intensity i % 256.
MuchLidarData frameOf(int count, int channel = 68) {
    MuchLidarData f;
    for (int i = 0; i < count; ++i) {
        f.append(channel, static_cast<float>(i % 36000) / 100.0f, 100.0f + i, i % 256);
    }
    return f;
}

class FrameConverterTest : public ::testing::Test {
protected:
    FrameConversion convert(const MuchLidarData& frame) {
        FrameConversion out;
        converter.convert(frame, settings, out);
        return out;
    }

    ChannelGeometry geometry;
    FrameConverter converter{geometry};
    ChannelSelection channels;
    FrameSettings settings = withChannels(&channels);

    static FrameSettings withChannels(const ChannelSelection* c) {
        FrameSettings s;
        s.channels = c;
        return s;
    }
};

} // namespace

TEST_F(FrameConverterTest, ShowsEnabledPointsWithPositiveDistanceInRecordOrder) {
    MuchLidarData f;
    f.append(3, 10.0f, 500.0f, 40);
    f.append(4, 20.0f, 0.0f, 40);   // no distance
    f.append(5, 30.0f, -1.0f, 40);  // negative distance
    f.append(6, 40.0f, 250.0f, 90); // channel switched off below
    f.append(7, 359.99f, 65535.99f, 255);
    channels.laserSelected[6] = 0;
    const FrameConversion out = convert(f);
    ASSERT_EQ(out.shown->size(), 2u);
    for (const auto& [k, i] : {std::pair<std::size_t, std::size_t>{0, 0}, {1, 4}}) {
        const PointXyz expected = geometry.point(f.laserIds[i], f.azimuths[i], f.distances[i]);
        const auto& p = out.shown->points[k];
        EXPECT_EQ(p.x, expected.x);
        EXPECT_EQ(p.y, expected.y);
        EXPECT_EQ(p.z, expected.z);
    }
    EXPECT_EQ(out.shown->points[0].r, 0); // intensity 40: (0, 255, 223)
    EXPECT_EQ(out.shown->points[0].g, 255);
    EXPECT_EQ(out.shown->points[0].b, 223);
    EXPECT_EQ(out.shown->width, 2u);
    EXPECT_EQ(out.shown->height, 1u);
}

TEST_F(FrameConverterTest, ColourModeComesFromTheSettings) {
    MuchLidarData f;
    f.append(20, 100.0f, 300.0f, 10);
    settings.colourMode = 3; // azimuth 100: green
    auto out = convert(f);
    EXPECT_EQ(out.shown->points[0].g, 255);
    EXPECT_EQ(out.shown->points[0].r, 0);
    settings.colourMode = 4; // channel 20: red
    out = convert(f);
    EXPECT_EQ(out.shown->points[0].r, 255);
    EXPECT_EQ(out.shown->points[0].g, 0);
}

TEST_F(FrameConverterTest, ListsTheFirst256ShownPoints) {
    MuchLidarData f = frameOf(300);
    f.distances[0] = 0; // not shown, so not listed
    const FrameConversion out = convert(f);
    ASSERT_EQ(out.rows.size(), 256u);
    for (int r = 0; r < 256; ++r) {
        EXPECT_EQ(out.rows[r].index, r);
        EXPECT_EQ(out.rows[r].distanceCm, f.distances[r + 1]);
    }
    EXPECT_EQ(out.rows[5].channel, 68);
    EXPECT_EQ(out.rows[5].intensity, 6);
    EXPECT_EQ(out.rows[5].x, out.shown->points[5].x);

    const FrameConversion few = convert(frameOf(3));
    ASSERT_EQ(few.rows.size(), 3u); // the rows after them stay as they were
}

TEST_F(FrameConverterTest, StatisticsCoverThePointsInsideTheBoxFacesIncluded) {
    MuchLidarData f = frameOf(50);
    FrameConversion all = convert(f);
    // A box whose faces pass exactly through points 10 and 20 (channel 68
    // is level, so z is the same for all).
    const auto& p10 = all.shown->points[10];
    const auto& p20 = all.shown->points[20];
    settings.box = {std::min(p10.x, p20.x),
                    std::max(p10.x, p20.x),
                    std::min(p10.y, p20.y),
                    std::max(p10.y, p20.y),
                    -1,
                    1};
    const FrameConversion out = convert(f);
    int expected = 0;
    double sumY = 0;
    for (const auto& p : all.shown->points) {
        if (settings.box.contains(p.x, p.y, p.z)) {
            ++expected;
            sumY += p.y;
        }
    }
    ASSERT_GE(expected, 2);
    EXPECT_EQ(out.statistics.count, expected);
    EXPECT_EQ(out.inBox->size(), static_cast<std::size_t>(expected));
    EXPECT_EQ(out.statistics.xMin, settings.box.xMin);
    EXPECT_EQ(out.statistics.xMax, settings.box.xMax);
    EXPECT_DOUBLE_EQ(out.statistics.averageY(), sumY / expected);
    EXPECT_EQ(out.shown->size(), 50u); // in-box points are shown too
}

TEST_F(FrameConverterTest, ZeroSizedBoxHoldsOnlyThePointExactlyOnIt) {
    // The initial all-zero box: no shown point (distance > 0) is at the origin.
    MuchLidarData f = frameOf(10);
    EXPECT_EQ(convert(f).statistics.count, 0);
    const auto p = convert(f).shown->points[3];
    settings.box = {p.x, p.x, p.y, p.y, p.z, p.z};
    const FrameConversion out = convert(f);
    EXPECT_EQ(out.statistics.count, 1);
    EXPECT_EQ(out.inBox->points[0].x, p.x);
}

TEST_F(FrameConverterTest, SelectionRowsWrapAtTheSelectedCount) {
    // Five points in the box, a selection of three: rows 0, 1, 2, then 0 and
    // 1 again, holding the fourth and fifth point.
    MuchLidarData f = frameOf(5);
    settings.box = {-1000, 1000, -1000, 1000, -1000, 1000};
    settings.selectionActive = true;
    settings.selectedCount = 3;
    const FrameConversion out = convert(f);
    ASSERT_EQ(out.rows.size(), 3u);
    EXPECT_EQ(out.rows[0].index, 0);
    EXPECT_EQ(out.rows[0].distanceCm, f.distances[3]);
    EXPECT_EQ(out.rows[1].index, 1);
    EXPECT_EQ(out.rows[1].distanceCm, f.distances[4]);
    EXPECT_EQ(out.rows[2].index, 2);
    EXPECT_EQ(out.rows[2].distanceCm, f.distances[2]);
}

TEST_F(FrameConverterTest, WithASelectionEachFrameListsWhatAFreshSelectionWould) {
    MuchLidarData f = frameOf(200);
    settings.box = {-1000, 1000, -1000, 1000, -1000, 1000};
    settings.selectionActive = true;
    settings.selectedCount = 150;
    const FrameConversion out = convert(f);
    const SelectionListing fresh = converter.listSelection(f, nullptr, settings.box, 150);
    ASSERT_EQ(out.rows.size(), 150u);
    ASSERT_EQ(fresh.rows.size(), 150u);
    for (std::size_t r = 0; r < 150; ++r) {
        EXPECT_EQ(out.rows[r].index, static_cast<int>(r));
        EXPECT_EQ(out.rows[r].distanceCm, fresh.rows[r].distanceCm) << r;
    }
    EXPECT_EQ(out.rows[10].distanceCm, f.distances[160]); // wrapped over point 10
}

TEST_F(FrameConverterTest, WithoutSelectionTheBoxStillHighlightsButListsNothingOfIt) {
    MuchLidarData f = frameOf(400);
    settings.box = {-1000, 1000, -1000, 1000, -1000, 1000};
    settings.selectedCount = 3;
    const FrameConversion out = convert(f);
    EXPECT_EQ(out.inBox->size(), 400u);
    ASSERT_EQ(out.rows.size(), 256u);
    EXPECT_EQ(out.rows.back().index, 255);
}

TEST_F(FrameConverterTest, ReusesItsStorageAndForgetsThePreviousFrame) {
    FrameConversion out;
    settings.box = {-1000, 1000, -1000, 1000, -1000, 1000};
    converter.convert(frameOf(1000), settings, out);
    const auto* storage = out.shown->points.data();
    converter.convert(frameOf(10), settings, out);
    EXPECT_EQ(out.shown->size(), 10u);
    EXPECT_EQ(out.inBox->size(), 10u);
    EXPECT_EQ(out.statistics.count, 10);
    EXPECT_EQ(out.rows.size(), 10u);
    EXPECT_EQ(out.shown->points.data(), storage);
    converter.convert(MuchLidarData{}, settings, out);
    EXPECT_TRUE(out.shown->empty());
    EXPECT_EQ(out.statistics.count, 0);
}

TEST_F(FrameConverterTest, SelectionListingWrapsAtThePickedCount) {
    // Five shown points in the box, three picked: rows 0, 1, 2, then rows 0
    // and 1 again with the fourth and fifth point.
    const MuchLidarData f = frameOf(8);
    const SelectionBox everything{-1000, 1000, -1000, 1000, -1000, 1000};
    MuchLidarData inBox = f;
    inBox.distances[5] = 0; // not shown
    inBox.laserIds[6] = 3;  // switched off below
    inBox.laserIds[7] = 3;
    channels.laserSelected[3] = 0;
    const SelectionListing listing = converter.listSelection(inBox, &channels, everything, 3);
    EXPECT_EQ(listing.statistics.count, 5);
    ASSERT_EQ(listing.rows.size(), 3u);
    EXPECT_EQ(listing.rows[0].distanceCm, 103.0f);
    EXPECT_EQ(listing.rows[1].distanceCm, 104.0f);
    EXPECT_EQ(listing.rows[2].distanceCm, 102.0f);
    EXPECT_EQ(listing.rows[0].index, 0);

    // A point exactly on a face is inside; the box around nothing is empty.
    const PointXyz p = geometry.point(68, f.azimuths[0], f.distances[0]);
    const SelectionBox onFace{p.x, p.x, p.y, p.y, p.z, p.z};
    EXPECT_EQ(converter.listSelection(f, nullptr, onFace, 1).statistics.count, 1);
    const SelectionBox away{50, 60, 50, 60, 50, 60};
    const SelectionListing none = converter.listSelection(f, nullptr, away, 3);
    EXPECT_EQ(none.statistics.count, 0);
    EXPECT_TRUE(none.rows.empty());
}
