#include "app/UserGuide.h"
#include "app/ViewerCommandLine.h"
#include "platform/ImagePath.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(InstalledProgram, FindsItsGuideAndImagesInTheShareFolderBesideItsBinFolder) {
    QTemporaryDir prefix;
    const QString bin = prefix.filePath("bin");
    const QString data = prefix.filePath("share/vantor-viewer");
    ASSERT_TRUE(QDir().mkpath(bin));
    EXPECT_TRUE(UserGuide::installedPage(bin).isEmpty());

    ASSERT_TRUE(QDir().mkpath(data + "/guide"));
    ASSERT_TRUE(QDir().mkpath(data + "/images"));
    QFile guide(data + "/guide/index.html");
    ASSERT_TRUE(guide.open(QIODevice::WriteOnly));
    guide.close();
    QImage replaced(8, 8, QImage::Format_ARGB32);
    replaced.fill(Qt::red);
    ASSERT_TRUE(replaced.save(data + "/images/Play.png"));

    EXPECT_EQ(UserGuide::installedPage(bin), QUrl::fromLocalFile(data + "/guide/index.html"));
    EXPECT_EQ(ImagePath::resolve("./Resources/images/Play.png", bin), data + "/images/Play.png");
    // Images not installed still come from the program itself.
    EXPECT_EQ(ImagePath::resolve("./Resources/images/Pause.png", bin),
              ImagePath::builtIn("Pause.png"));
}

TEST(ViewerCommandLine, HelpAndVersionAreAnsweredAndEverythingElseOpensTheWindow) {
    using Request = ViewerCommandLine::Request;
    const struct {
        QStringList arguments;
        Request request;
    } cases[] = {
        {{"vantor-viewer"}, Request::OpenWindow},
        {{"vantor-viewer", "--help"}, Request::Help},
        {{"vantor-viewer", "-platform", "offscreen", "-h"}, Request::Help},
        {{"vantor-viewer", "--version"}, Request::Version},
        {{"vantor-viewer", "-v"}, Request::Version},
        {{"vantor-viewer", "-style", "fusion"}, Request::OpenWindow},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ViewerCommandLine::requestOf(c.arguments), c.request)
            << c.arguments.join(' ').toStdString();
    }
    EXPECT_TRUE(
        ViewerCommandLine::versionText().startsWith("vantor-viewer " VANTOR_TEST_VERSION "\n"));
}

TEST(ViewerCommandLine, OneCaptureFileIsOpenedAtStartAndAnythingElseIsRefused) {
    const struct {
        QStringList arguments;
        QString path;
        bool refused;
    } cases[] = {
        {{"vantor-viewer"}, "", false},
        {{"vantor-viewer", "street.pcap"}, "street.pcap", false},
        {{"vantor-viewer", "--", "-odd.pcapng"}, "-odd.pcapng", false},
        {{"vantor-viewer", "a.pcap", "b.pcap"}, "", true},
        {{"vantor-viewer", "--frames", "a.pcap"}, "", true},
    };
    for (const auto& c : cases) {
        const ViewerCommandLine::StartCapture start =
            ViewerCommandLine::startCaptureOf(c.arguments);
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        EXPECT_EQ(start.error.isEmpty(), !c.refused) << start.error.toStdString();
        if (!c.refused) {
            EXPECT_EQ(start.path, c.path);
        }
    }
}
