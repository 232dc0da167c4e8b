#include "platform/ImagePath.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Every image the windows and dialogs name.
const char* const kImages[] = {"corvane.ico",
                               "corvane.png",
                               "Sensor.png",
                               "Grid.png",
                               "select.png",
                               "Red.png",
                               "clear.png",
                               "Coordinate.png",
                               "LidarDataList.png",
                               "OpenCaptureFile.png",
                               "Gotostart.png",
                               "Seekbackward.png",
                               "Seekbackward_2x.png",
                               "Seekbackward_3x.png",
                               "Seekbackward_0.5x.png",
                               "Seekbackward_0.25x.png",
                               "Play.png",
                               "Pause.png",
                               "Seekforward.png",
                               "Seekforward_2x.png",
                               "Seekforward_3x.png",
                               "Seekforward_0.5x.png",
                               "Seekforward_0.25x.png",
                               "Gotostop.png",
                               "Record.png",
                               "InteractionSetUp.png",
                               "AdvancedSetting.png",
                               "Chanel.png",
                               "Csv.png",
                               "About.png",
                               "User.png",
                               "Develop.png",
                               "zhengshi.png",
                               "fushi.png",
                               "zuoshi.png",
                               "Purple.png",
                               "Color.png",
                               "Green.png",
                               "Yellow.png",
                               "5.png",
                               "10.png",
                               "20.png",
                               "YES.png",
                               "NO.png"};

// Runs the test body in an empty working directory.
class ForeignDirectory : public ::testing::Test {
protected:
    void SetUp() override {
        previous = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(empty.path()));
    }
    void TearDown() override { QDir::setCurrent(previous); }

    QTemporaryDir empty;
    QString previous;
};

int opaqueInColumn(const QImage& image, int x) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        n += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
    }
    return n;
}

} // namespace

using ImagePathTest = ForeignDirectory;

TEST_F(ImagePathTest, EveryNamedImageLoadsWhateverTheWorkingDirectory) {
    for (const char* name : kImages) {
        for (const QString& path : {QStringLiteral(":/image/Resources/images/") + name,
                                    QStringLiteral("./Resources/images/") + name,
                                    QStringLiteral("Resources/images/") + name}) {
            const QImage image(ImagePath::resolve(path));
            EXPECT_FALSE(image.isNull()) << path.toStdString();
            EXPECT_GE(image.width(), 32) << path.toStdString();
        }
        EXPECT_FALSE(ImagePath::icon(QStringLiteral("./Resources/images/") + name).isNull());
    }
    // Spellings of other folders used by some windows.
    EXPECT_FALSE(QImage(ImagePath::resolve("image/Sensor.png")).isNull());
    EXPECT_FALSE(QImage(ImagePath::resolve("./Resources/image/corvane.png")).isNull());
}

TEST_F(ImagePathTest, ALooseFileInTheWorkingDirectoryWins) {
    ASSERT_TRUE(QDir().mkpath("Resources/images"));
    QImage red(8, 8, QImage::Format_ARGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save("Resources/images/Play.png"));
    EXPECT_EQ(ImagePath::resolve("./Resources/images/Play.png"), "./Resources/images/Play.png");
    EXPECT_EQ(QImage(ImagePath::resolve("./Resources/images/Play.png")).width(), 8);
    // A resource path names the built-in image itself.
    EXPECT_EQ(QImage(ImagePath::resolve(":/image/Resources/images/Play.png")).width(), 64);
}

TEST_F(ImagePathTest, UnknownImagesGiveNoImage) {
    EXPECT_TRUE(QImage(ImagePath::resolve("./Resources/images/NoSuch.png")).isNull());
    EXPECT_TRUE(ImagePath::icon("NoSuch.png").pixmap(32).isNull());
}

TEST(ImageShapes, PlayPointsRightAndPauseHasTwoBars) {
    const QImage play(ImagePath::resolve("Play.png"));
    ASSERT_FALSE(play.isNull());
    // A right-pointing triangle narrows from left to right.
    EXPECT_GT(opaqueInColumn(play, 20), opaqueInColumn(play, 40));
    EXPECT_GT(opaqueInColumn(play, 40), opaqueInColumn(play, 52));
    EXPECT_EQ(opaqueInColumn(play, 8), 0);

    const QImage pause(ImagePath::resolve("Pause.png"));
    ASSERT_FALSE(pause.isNull());
    EXPECT_GT(opaqueInColumn(pause, 20), 30);
    EXPECT_EQ(opaqueInColumn(pause, 32), 0);
    EXPECT_GT(opaqueInColumn(pause, 44), 30);
}
