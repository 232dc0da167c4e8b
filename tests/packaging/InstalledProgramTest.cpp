#include "app/UserGuide.h"
#include "app/ViewerCommandLine.h"
#include "platform/ImagePath.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <tuple>

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
        // Qt's own options and their values are the application object's.
        {{"vantor-viewer", "-platform", "offscreen", "street.pcap"}, "street.pcap", false},
        {{"vantor-viewer", "--style", "fusion", "-reverse", "-stylesheet=a.qss", "b.pcap"},
         "b.pcap",
         false},
        {{"vantor-viewer", "-platform", "offscreen", "--bogus"}, "", true},
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

TEST(ProgramCommandLines, VersionsAnswerAlikeAndAWrongOptionGetsTheUsageWithoutADisplay) {
    QProcessEnvironment noDisplay = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        noDisplay.remove(name);
    }
    const auto run = [&](const QString& program, const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(noDisplay);
        process.start(qEnvironmentVariable("VANTOR_BIN_DIR") + "/" + program, arguments);
        EXPECT_TRUE(process.waitForFinished(30000)) << program.toStdString();
        return std::make_tuple(process.exitStatus() == QProcess::NormalExit ? process.exitCode()
                                                                            : -1,
                               QString::fromLocal8Bit(process.readAllStandardOutput()),
                               QString::fromLocal8Bit(process.readAllStandardError()));
    };
    for (const QString program : {"vantor-viewer", "lidar-export", "sensor-sim"}) {
        const auto [code, out, err] = run(program, {"--version"});
        EXPECT_EQ(code, 0) << program.toStdString() << ": " << err.toStdString();
        EXPECT_TRUE(out.startsWith(program + " " VANTOR_TEST_VERSION "\nQt ")) << out.toStdString();
    }
    const auto [code, out, err] = run("vantor-viewer", {"--bogus"});
    EXPECT_EQ(code, 2);
    EXPECT_TRUE(err.contains("--bogus")) << err.toStdString();
    EXPECT_TRUE(err.contains("Usage: vantor-viewer [options] [CAPTURE]")) << err.toStdString();
}
