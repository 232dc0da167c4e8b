#include "app/About.h"

#include <QLabel>
#include <QMetaObject>
#include <gtest/gtest.h>

namespace {

QLabel* label(About& about, const char* name) {
    auto* found = about.findChild<QLabel*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

} // namespace

TEST(AboutWindow, FormNamesTheProgramAndItsVersion) {
    About about;
    EXPECT_EQ(about.objectName(), "About");
    EXPECT_EQ(about.windowTitle(), "About");
    EXPECT_EQ(about.minimumSize(), QSize(500, 200));
    EXPECT_EQ(about.maximumSize(), QSize(500, 200));
    QLabel* title = label(about, "label");
    EXPECT_EQ(title->text(),
              QString::fromUtf8("Corvane Nimbra ：System32-Version V2.1.0 (2020.11.23)"));
    EXPECT_EQ(title->font().family(), "Arial");
    EXPECT_EQ(title->font().pointSize(), 10);
    EXPECT_TRUE(title->font().bold());
    EXPECT_FALSE(label(about, "label_2")->text().isEmpty());
    EXPECT_FALSE(label(about, "label_3")->text().isEmpty());
    EXPECT_EQ(label(about, "label_label_Master_Panel_Version")->text(),
              QString::fromUtf8("Master panel version："));
}

TEST(AboutWindow, VersionFieldShowsTheLatestReportAsItCame) {
    About about;
    QLabel* version = label(about, "label_Version_Display");
    EXPECT_TRUE(version->text().isEmpty());
    // The window's string connection finds the slot by this signature.
    EXPECT_GE(about.metaObject()->indexOfSlot("displayMasterPanelVersion(QString)"), 0);
    about.displayMasterPanelVersion("2020.11.23-V2.1.05");
    EXPECT_EQ(version->text(), "2020.11.23-V2.1.05");
    about.displayMasterPanelVersion(" 2021.1.2-V3.0.00 ");
    EXPECT_EQ(version->text(), " 2021.1.2-V3.0.00 ");
}
