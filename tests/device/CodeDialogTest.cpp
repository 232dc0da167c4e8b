#include "device/CodeDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class CodeDialogTest : public ::testing::Test {
protected:
    void SetUp() override { dialog.show(); }

    void type(const QString& text) { QTest::keyClicks(edit(), text); }
    QLineEdit* edit() { return dialog.findChild<QLineEdit*>("lineEdit"); }
    QPushButton* button(const char* name) { return dialog.findChild<QPushButton*>(name); }

    CodeDialog dialog;
    QSignalSpy sent{&dialog, &CodeDialog::sendCode};
};

} // namespace

TEST_F(CodeDialogTest, FormAsTheWindowExpects) {
    EXPECT_EQ(dialog.windowTitle(), "CodeDialog");
    EXPECT_EQ(dialog.minimumSize(), QSize(300, 180));
    EXPECT_EQ(dialog.maximumSize(), QSize(300, 180));
    ASSERT_NE(edit(), nullptr);
    EXPECT_EQ(edit()->echoMode(), QLineEdit::Password);
    const auto* label = dialog.findChild<QLabel*>("codelabel");
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->text().contains("Code："));
    EXPECT_TRUE(label->text().contains("font-size:16pt"));
    ASSERT_NE(button("pushButton_ok"), nullptr);
    ASSERT_NE(button("pushButton_cancel"), nullptr);
    EXPECT_EQ(button("pushButton_ok")->text(), "确定");
    EXPECT_EQ(button("pushButton_cancel")->text(), "取消");
    EXPECT_EQ(button("pushButton_ok")->geometry(), QRect(60, 100, 75, 23));
    EXPECT_EQ(button("pushButton_cancel")->geometry(), QRect(180, 100, 75, 23));
}

TEST_F(CodeDialogTest, OkHandsOnTheTextExactlyAndStartsEmptyNextTime) {
    for (const QString& code : {QString("905"), QString("905 "), QString()}) {
        dialog.show();
        type(code);
        QTest::mouseClick(button("pushButton_ok"), Qt::LeftButton);
        ASSERT_EQ(sent.size(), 1) << code.toStdString();
        EXPECT_EQ(sent.takeFirst().at(0).toString(), code);
        EXPECT_TRUE(edit()->text().isEmpty());
        EXPECT_FALSE(dialog.isVisible());
    }
}

TEST_F(CodeDialogTest, CancelHandsOnNothingAndClearsTheField) {
    type("905");
    QTest::mouseClick(button("pushButton_cancel"), Qt::LeftButton);
    EXPECT_EQ(sent.size(), 0);
    EXPECT_TRUE(edit()->text().isEmpty());
    EXPECT_FALSE(dialog.isVisible());
}

TEST(CodeDialogCode, OnlyTheExactTextOpens) {
    EXPECT_TRUE(CodeDialog::isAccessCode("905"));
    for (const char* wrong : {"905 ", " 905", "", "0905", "９０５", "906"}) {
        EXPECT_FALSE(CodeDialog::isAccessCode(QString::fromUtf8(wrong))) << wrong;
    }
}
