#include "app/About.h"

#include <QComboBox>
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

// Two sensors report: the version shown is the chosen sensor's, named in
// the window's list, and never flips with the other's reports.
TEST(AboutWindow, VersionFieldShowsTheChosenSensorsLatestReport) {
    About about;
    QLabel* version = label(about, "label_Version_Display");
    EXPECT_TRUE(version->text().isEmpty());
    // The window's string connection finds the slot by this signature.
    EXPECT_GE(about.metaObject()->indexOfSlot("OnDeviceReport(DeviceReport)"), 0);

    const auto report = [](std::uint8_t last, std::uint8_t patch) {
        DeviceReport r{{127, 0, 0, last}, {}, DeviceReport::Clock::now()};
        const std::uint8_t board[] = {0x07, 0xE4, 0x0B, 0x17, 0x21, patch};
        std::copy(std::begin(board), std::end(board), r.packet.begin() + 1198);
        r.packet[18 + 5] = last;
        return r;
    };
    about.OnDeviceReport(report(2, 0x05));
    about.OnDeviceReport(report(3, 0x17));
    EXPECT_EQ(version->text(), "2020.11.23-V2.1.05");
    auto* list = about.findChild<QComboBox*>("comboBox_Sensor");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->currentText(), "127.0.0.2 (00-00-00-00-00-02)");
    about.OnDeviceReport(report(2, 0x06));
    about.OnDeviceReport(report(3, 0x18));
    EXPECT_EQ(version->text(), "2020.11.23-V2.1.06");

    about.chooseSensor({127, 0, 0, 3});
    EXPECT_EQ(version->text(), "2020.11.23-V2.1.18");
    EXPECT_EQ(list->currentText(), "127.0.0.3 (00-00-00-00-00-03)");
    // A sensor chosen before its first report shows nothing until it comes.
    about.chooseSensor({127, 0, 0, 4});
    EXPECT_TRUE(version->text().isEmpty());
    EXPECT_EQ(list->currentText(), "127.0.0.4 (no device packet yet)");
    about.OnDeviceReport(report(4, 0x21));
    EXPECT_EQ(version->text(), "2020.11.23-V2.1.21");
}
