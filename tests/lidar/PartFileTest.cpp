#include "lidar/PartFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void writeText(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

} // namespace

TEST(PartFile, TheNameGoesToTheFileOnlyOnceItIsWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromUtf8("frame ä.csv"));
    writeText(path, "an earlier export\n");
    PartFile file(path);
    ASSERT_TRUE(file.open()) << file.error().toStdString();
    EXPECT_EQ(file.partPath(), path + ".part");
    ASSERT_TRUE(file.write("1,2,3\n", 6));
    ASSERT_TRUE(file.flush());
    // Until then readers see the earlier file, and the new one beside it.
    EXPECT_EQ(contentOf(path), "an earlier export\n");
    EXPECT_EQ(contentOf(path + ".part"), "1,2,3\n");
    ASSERT_TRUE(file.write("4,5,6\n", 6));
    ASSERT_TRUE(file.commit()) << file.error().toStdString();
    EXPECT_EQ(contentOf(path), "1,2,3\n4,5,6\n");
    EXPECT_FALSE(QFile::exists(path + ".part"));
    EXPECT_EQ(file.bytesWritten(), 12u);
}

TEST(PartFile, AStoppedFileKeepsItsPartNameAndAnAbandonedOneIsRemoved) {
    QTemporaryDir dir;
    const QString kept = dir.filePath("kept.mcap");
    {
        PartFile file(kept);
        ASSERT_TRUE(file.open());
        ASSERT_TRUE(file.write("abc", 3));
        ASSERT_TRUE(file.keep());
    }
    EXPECT_EQ(contentOf(kept + ".part"), "abc");
    EXPECT_FALSE(QFile::exists(kept));

    const QString abandoned = dir.filePath("abandoned.las");
    {
        PartFile file(abandoned);
        ASSERT_TRUE(file.open());
        ASSERT_TRUE(file.write("abc", 3));
        ASSERT_TRUE(QFile::exists(abandoned + ".part"));
    } // neither committed nor kept
    EXPECT_FALSE(QFile::exists(abandoned + ".part"));
    EXPECT_FALSE(QFile::exists(abandoned));
}

TEST(PartFile, AFileThatDoesNotHoldWhatWasWrittenIsNotWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath("cut.ply");
    PartFile file(path);
    ASSERT_TRUE(file.open());
    ASSERT_TRUE(file.write("0123456789", 10));
    ASSERT_TRUE(file.flush());
    // Another program shortens it, as a full disk would have.
    ASSERT_TRUE(QFile::resize(path + ".part", 4));
    EXPECT_FALSE(file.commit());
    EXPECT_EQ(file.error(), path + ": the file holds 4 bytes of the 10 written");
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(QFile::exists(path + ".part"));

    PartFile missing(dir.filePath("no/such/folder/x.pcd"));
    EXPECT_FALSE(missing.open());
    EXPECT_EQ(missing.error(),
              dir.filePath("no/such/folder/x.pcd") + ": No such file or directory");
}

TEST(PartFile, PipesAndDevicesAreWrittenAsTheyAreAndStayWhatTheyAre) {
    PartFile null("/dev/null");
    ASSERT_TRUE(null.open());
    EXPECT_EQ(null.partPath(), "/dev/null");
    ASSERT_TRUE(null.write("abc", 3));
    ASSERT_TRUE(null.commit()) << null.error().toStdString();
    struct stat after {};
    ASSERT_EQ(::stat("/dev/null", &after), 0);
    EXPECT_TRUE(S_ISCHR(after.st_mode));
    EXPECT_FALSE(QFile::exists("/dev/null.part"));

    if (!QFile::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full to fill";
    }
    PartFile full("/dev/full");
    ASSERT_TRUE(full.open());
    const bool written = full.write("abc", 3) && full.flush();
    EXPECT_FALSE(written);
    EXPECT_EQ(full.error(), "/dev/full: No space left on device");
}
