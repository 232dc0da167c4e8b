#include "dialogs/SelectPointRange.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

const char* const kFields[] = {"lineEdit_Xmin", "lineEdit_Xmax", "lineEdit_Ymin",
                               "lineEdit_Ymax", "lineEdit_Zmin", "lineEdit_Zmax"};

class SelectPointRangeTest : public ::testing::Test {
protected:
    void TearDown() override { dialog.close(); }

    QLineEdit* field(int i) { return dialog.findChild<QLineEdit*>(kFields[i]); }
    void ok() { dialog.findChild<QPushButton*>("okButton")->click(); }

    SelectPointRange dialog;
    QSignalSpy confirmed{&dialog, &SelectPointRange::sendOkCliced};
};

} // namespace

TEST_F(SelectPointRangeTest, FormIsApplicationModal) {
    EXPECT_EQ(dialog.windowTitle(), "SelectPointRange");
    EXPECT_EQ(dialog.size(), QSize(590, 260));
    EXPECT_EQ(dialog.windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(dialog.findChild<QLabel*>("label_Y")->text(), QString::fromUtf8("选取 Y 的范围："));
    EXPECT_EQ(dialog.findChild<QPushButton*>("cancelButton")->text(), "Cancel");
    for (int i = 0; i < 6; ++i) {
        ASSERT_NE(field(i), nullptr) << kFields[i];
    }
}

TEST_F(SelectPointRangeTest, ShowsTheWindowsRangeAndStoresWhatIsTyped) {
    dialog.showWithValues({-10, 10, -5, 5, -2, 3});
    EXPECT_TRUE(dialog.isVisible());
    const char* shown[] = {"-10", "10", "-5", "5", "-2", "3"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(field(i)->text(), shown[i]) << kFields[i];
    }

    field(0)->setText("0.5");
    field(1)->setText("abc");
    field(2)->setText("");
    field(3)->setText("1234567");
    field(4)->setText("4"); // above its maximum, kept as typed
    ok();
    ok();
    EXPECT_EQ(confirmed.size(), 2);
    EXPECT_TRUE(dialog.isVisible());
    const PointRange& r = dialog.range();
    EXPECT_EQ(r.xMin, 0.5);
    EXPECT_EQ(r.xMax, 0);
    EXPECT_EQ(r.yMin, 0);
    EXPECT_EQ(r.yMax, 1234567);
    EXPECT_EQ(r.zMin, 4);
    EXPECT_EQ(r.zMax, 3);

    // Cancel closes; the next showing overwrites what was left in a field.
    field(0)->setText("99");
    dialog.findChild<QPushButton*>("cancelButton")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(confirmed.size(), 2);
    dialog.showWithValues(r);
    EXPECT_EQ(field(0)->text(), "0.5");
    EXPECT_EQ(field(3)->text(), "1.23457e+06");
}
