#include "lidar/PortField.h"

#include <gtest/gtest.h>

TEST(PortField, OnlyWholeNumbersFromOneTo65535AreAccepted) {
    EXPECT_EQ(PortField::parse("2368"), 2368);
    EXPECT_EQ(PortField::parse("1"), 1);
    EXPECT_EQ(PortField::parse("65535"), 65535);
    EXPECT_EQ(PortField::parse("02368"), 2368);
    for (const char* bad : {"", "abc", "0", "65536", "99999999999", "-1", "+2368", " 2368", "2368 ",
                            "23.5", "0x940", "２３６８"}) {
        EXPECT_FALSE(PortField::parse(QString::fromUtf8(bad))) << bad;
    }
    EXPECT_TRUE(PortField::refusal("Data Port", "2368").isEmpty());
    EXPECT_EQ(PortField::refusal("Data Port", "abc"),
              "Data Port \"abc\" is not a port: enter a whole number from 1 to 65535.");
}
