#include "dialogs/QLaserSelectionMuch.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class QLaserSelectionMuchTest : public ::testing::Test {
protected:
    void SetUp() override { dialog.show(); }

    void click(const char* name) {
        auto* b = dialog.findChild<QAbstractButton*>(name);
        ASSERT_NE(b, nullptr) << name;
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, b->height() / 2));
    }
    QTableWidget* table() { return dialog.findChild<QTableWidget*>("tableWidget_laserselection"); }
    QCheckBox* channelBox(int c) { return qobject_cast<QCheckBox*>(table()->cellWidget(c, 0)); }

    // The selected channels as a string of 0 and 1, one per group of four.
    std::string groups() {
        std::string s;
        for (int g = 0; g < 32; ++g) {
            int sum = 0;
            for (int c = 4 * g; c < 4 * g + 4; ++c) {
                sum += dialog.selection().laserSelected[c];
            }
            EXPECT_TRUE(sum == 0 || sum == 4) << "group " << g;
            s += sum == 4 ? '1' : '0';
        }
        return s;
    }

    QLaserSelectionMuch dialog;
};

const std::string kEvenGroups = "10101010101010101010101010101010";
const std::string kOddGroups = "01010101010101010101010101010101";
const std::string kAllGroups(32, '1');

} // namespace

TEST_F(QLaserSelectionMuchTest, FormAndChannelTable) {
    EXPECT_EQ(dialog.windowTitle(), "QLaserSelectionMuch");
    EXPECT_EQ(dialog.size(), QSize(360, 498));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(dialog.windowIcon().isNull());
    const struct {
        const char* name;
        const char* text;
    } buttons[] = {{"checkBox", "All/All no choice"},
                   {"pushButton_toggleselection", "Switch selection"},
                   {"checkBox_2", "Applicable to future dialogs"},
                   {"pushButton_OK", "OK"},
                   {"pushButton_Cancel", "Cancel"}};
    for (const auto& b : buttons) {
        auto* w = dialog.findChild<QAbstractButton*>(b.name);
        ASSERT_NE(w, nullptr) << b.name;
        EXPECT_EQ(w->text(), b.text);
    }
    ASSERT_EQ(table()->rowCount(), 128);
    ASSERT_EQ(table()->columnCount(), 3);
    EXPECT_EQ(table()->horizontalHeaderItem(0)->text(), " ");
    EXPECT_EQ(table()->horizontalHeaderItem(2)->text(), "V_angle");
    EXPECT_TRUE(table()->verticalHeader()->isHidden());
    EXPECT_EQ(table()->item(4, 2)->text(), "-16");
    EXPECT_EQ(table()->item(127, 1)->text(), "127");
    EXPECT_EQ(table()->item(127, 2)->text(), "14.75");
    for (int c = 0; c < 128; ++c) {
        ASSERT_TRUE(channelBox(c)->isChecked()) << c;
    }
    EXPECT_EQ(groups(), kAllGroups);
}

TEST_F(QLaserSelectionMuchTest, SwitchSelectionAlternatesEvenAndOddGroups) {
    click("pushButton_toggleselection");
    EXPECT_EQ(groups(), kAllGroups); // nothing is stored before OK
    click("pushButton_OK");
    EXPECT_EQ(groups(), kEvenGroups);
    EXPECT_TRUE(dialog.isVisible());
    click("pushButton_toggleselection");
    click("pushButton_OK");
    EXPECT_EQ(groups(), kOddGroups);
}

TEST_F(QLaserSelectionMuchTest, AllNoChoiceThenSwitchChecksTheOddGroups) {
    click("checkBox");
    click("pushButton_OK");
    EXPECT_EQ(groups(), std::string(32, '0'));
    click("pushButton_toggleselection");
    click("pushButton_OK");
    EXPECT_EQ(groups(), kOddGroups);
    click("checkBox"); // toggleState is false again: clears all
    click("pushButton_OK");
    EXPECT_EQ(groups(), std::string(32, '0'));
}

TEST_F(QLaserSelectionMuchTest, CancelKeepsTheSelectionAndTheBoxesAsLeft) {
    for (int c = 0; c < 8; ++c) {
        channelBox(c)->click();
    }
    click("checkBox_2"); // re-checks checked boxes only
    EXPECT_FALSE(channelBox(0)->isChecked());
    EXPECT_TRUE(channelBox(8)->isChecked());
    click("pushButton_Cancel");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(groups(), kAllGroups);
    dialog.show();
    EXPECT_FALSE(channelBox(0)->isChecked());
}
