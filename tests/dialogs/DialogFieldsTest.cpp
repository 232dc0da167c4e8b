#include "dialogs/DialogFields.h"
#include "dialogs/ChannelCheckTable.h"

#include <gtest/gtest.h>

TEST(DialogFields, TextThatIsNotANumberReadsAsZero) {
    const struct {
        const char* text;
        double number;
        int integer;
    } cases[] = {{"2.5", 2.5, 0}, {" -3 ", -3, -3}, {"abc", 0, 0},
                 {"", 0, 0},      {"12x", 0, 0},    {"1e3", 1000, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(DialogFields::numberOrZero(c.text), c.number) << c.text;
        EXPECT_EQ(DialogFields::floatOrZero(c.text), static_cast<float>(c.number)) << c.text;
        EXPECT_EQ(DialogFields::integerOrZero(c.text), c.integer) << c.text;
    }
}

TEST(DialogFields, GeneralNumbersAndChannelAngles) {
    EXPECT_EQ(DialogFields::generalNumber(0.5), "0.5");
    EXPECT_EQ(DialogFields::generalNumber(1234567), "1.23457e+06");
    EXPECT_EQ(DialogFields::generalNumber(-10), "-10");
    EXPECT_EQ(ChannelCheckTable::verticalAngleText(0), "-17");
    EXPECT_EQ(ChannelCheckTable::verticalAngleText(1), "-16.75");
    EXPECT_EQ(ChannelCheckTable::verticalAngleText(4), "-16");
    EXPECT_EQ(ChannelCheckTable::verticalAngleText(68), "0");
    EXPECT_EQ(ChannelCheckTable::verticalAngleText(127), "14.75");
}

TEST(DialogFields, AFrameCountNeedsToBeAtLeastOne) {
    EXPECT_TRUE(DialogFields::frameCountProblem(1).isEmpty());
    for (int bad : {0, -5}) {
        EXPECT_TRUE(DialogFields::frameCountProblem(bad).contains("SelectionDataFrameNumber"));
    }
}
