#include "dialogs/SaveData.h"
#include "support/ModalCatcher.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class SaveDataTest : public ::testing::Test {
protected:
    void SetUp() override { dialog.show(); }

    void click(const char* name) {
        auto* b = dialog.findChild<QAbstractButton*>(name);
        ASSERT_NE(b, nullptr) << name;
        b->click();
    }
    void type(const char* field, const QString& text) {
        auto* edit = dialog.findChild<QLineEdit*>(field);
        ASSERT_NE(edit, nullptr) << field;
        edit->setText(text);
    }
    int channelsKept() {
        int n = 0;
        for (int c = 0; c < 128; ++c) {
            n += dialog.settings().channels.shows(c) ? 1 : 0;
        }
        return n;
    }

    SaveData dialog;
    QSignalSpy ok{&dialog, &SaveData::sendOkSignal};
};

} // namespace

TEST_F(SaveDataTest, FormTexts) {
    EXPECT_EQ(dialog.windowTitle(), "SaveData");
    EXPECT_EQ(dialog.size(), QSize(503, 622));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
    const struct {
        const char* name;
        const char* text;
    } labels[] = {{"label_7", "SelectionDataFrameNumber:"},
                  {"label", "MinAngle:"},
                  {"label_1", "MaxAngle:"}},
      fields[] = {
          {"lineEdit_DataFrameNum", "1"}, {"lineEdit_MinAngle", "0"}, {"lineEdit_MaxAngle", "180"}};
    for (const auto& l : labels) {
        ASSERT_NE(dialog.findChild<QLabel*>(l.name), nullptr) << l.name;
        EXPECT_EQ(dialog.findChild<QLabel*>(l.name)->text(), l.text);
    }
    for (const auto& f : fields) {
        ASSERT_NE(dialog.findChild<QLineEdit*>(f.name), nullptr) << f.name;
        EXPECT_EQ(dialog.findChild<QLineEdit*>(f.name)->text(), f.text);
    }
    EXPECT_EQ(dialog.findChild<QPushButton*>("pushButton_OK")->text(), "Ok");
    EXPECT_EQ(dialog.findChild<QTableWidget*>("tableWidget_laserselection")->rowCount(), 128);
}

TEST_F(SaveDataTest, OkStoresTheFieldsHidesAndStartsOneExport) {
    click("pushButton_OK");
    ASSERT_EQ(ok.size(), 1);
    EXPECT_EQ(ok[0][0].toBool(), true);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.settings().frameCount, 1);
    EXPECT_EQ(dialog.settings().minAngle, 0);
    EXPECT_EQ(dialog.settings().maxAngle, 180);
    EXPECT_EQ(channelsKept(), 128);

    dialog.show();
    type("lineEdit_DataFrameNum", "12");
    type("lineEdit_MinAngle", "200");
    type("lineEdit_MaxAngle", "abc");
    click("pushButton_toggleselection");
    click("pushButton_OK");
    EXPECT_EQ(ok.size(), 2);
    EXPECT_EQ(dialog.settings().frameCount, 12);
    EXPECT_EQ(dialog.settings().minAngle, 200); // kept as typed, above the maximum
    EXPECT_EQ(dialog.settings().maxAngle, 0);
    EXPECT_EQ(channelsKept(), 64);
    EXPECT_TRUE(dialog.settings().channels.shows(3));
    EXPECT_FALSE(dialog.settings().channels.shows(4));

    // Cancel keeps what the last Ok stored.
    dialog.show();
    type("lineEdit_DataFrameNum", "3");
    click("checkBox");
    click("pushButton_Cancel");
    EXPECT_EQ(ok.size(), 2);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.settings().frameCount, 12);
    EXPECT_EQ(channelsKept(), 64);
}

TEST_F(SaveDataTest, AFrameCountBelowOneIsRefusedAndTheDialogStays) {
    for (const char* count : {"0", "-2", "abc"}) {
        ModalCatcher boxes;
        type("lineEdit_DataFrameNum", count);
        click("pushButton_OK");
        ASSERT_EQ(boxes.boxes.size(), 1u) << count;
        EXPECT_EQ(boxes.boxes[0].title, "warring");
        EXPECT_TRUE(boxes.boxes[0].text.contains("SelectionDataFrameNumber"));
        EXPECT_TRUE(dialog.isVisible());
    }
    EXPECT_EQ(ok.size(), 0);
    EXPECT_EQ(dialog.settings().frameCount, 1);
}
