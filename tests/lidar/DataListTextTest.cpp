#include "lidar/DataListText.h"

#include <gtest/gtest.h>

TEST(DataListText, RowCellsUseFixedDecimalsPerColumn) {
    DataListRow row;
    row.index = 17;
    row.x = 0.680559f;
    row.y = -12.5f;
    row.z = -0.26808f;
    row.distanceCm = 3200.5f;
    row.azimuthDegrees = 359.99f;
    row.intensity = 37;
    row.channel = 5;
    const char* expected[] = {"17",          "0.6806 -12.5000 -0.2681",
                              "32.00500107", // divided in single precision
                              "359.990",     "37.0000",
                              "5.0000"};
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(DataListText::cell(row, c), expected[c]) << c;
    }
}

TEST(DataListText, HeadersAndWidths) {
    EXPECT_EQ(DataListText::headers(), QStringList({"PointID", "Points_m_XYZ", "Distance",
                                                    "Azimuth", "Intensity", "Laser_ID"}));
    EXPECT_EQ(DataListText::columnWidths(), (std::array<int, 6>{70, 140, 70, 70, 70, 70}));
}

TEST(DataListText, StatisticsTextsUseSixSignificantDigits) {
    BoxStatistics s;
    s.add(1.25f, -3.0f, 0.5f);
    s.add(-0.000012345f, 4.0f, 123456789.0f);
    s.add(2.0f, 2.0f, 0.25f);
    const auto t = DataListText::statistics(s);
    EXPECT_EQ(t.x, "selectP: X_max:  2\t\tX_min:  -1.2345e-05");
    EXPECT_EQ(t.y, "selectP: Y_max:  4\t\tY_min:  -3\t\tY_average:  1");
    EXPECT_EQ(t.z, "selectP: Z_max:  1.23457e+08\t\tZ_min:  0.25");
}

TEST(DataListText, NoPointInTheBoxGivesOneBlankEach) {
    const auto t = DataListText::statistics(BoxStatistics{});
    EXPECT_EQ(t.x, " ");
    EXPECT_EQ(t.y, " ");
    EXPECT_EQ(t.z, " ");
}

TEST(DataListText, InitialLabelsAreTheConcatenatedPieces) {
    const auto t = DataListText::initialStatistics();
    EXPECT_EQ(t.y, QString("selectP:") + " Y_max:\t\t" + "\t\tY_min:\t\t" + "\t\tY_average:\t\t");
    EXPECT_EQ(t.x, QString("selectP:") + " X_max:  " + "X_min:  ");
    EXPECT_EQ(t.z, QString("selectP:") + " Z_max:  " + "Z_min:  ");
}
