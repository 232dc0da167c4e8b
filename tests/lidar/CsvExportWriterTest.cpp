#include "lidar/CsvExportWriter.h"
#include "lidar/CsvFileNames.h"
#include "lidar/ExportSettings.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

MuchLidarData frameOf(int points, int channelOffset) {
    MuchLidarData f;
    for (int i = 0; i < points; ++i) {
        f.append((i * 7 + channelOffset) % 128, static_cast<float>(i % 36000) / 100.0f, 100.0f + i,
                 i % 256);
    }
    return f;
}

std::string fileText(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll().toStdString();
}

struct CsvExportWriterTest : ::testing::Test {
    QTemporaryDir dir;
    ChannelGeometry geometry;
};

} // namespace

TEST_F(CsvExportWriterTest, FramesAreNumberedAsQueuedAndWrittenInThatOrderUpToTheCount) {
    CsvExportWriter writer(geometry, CsvRowWriter::Layout::MultiFrame, 5);
    const QString path = dir.filePath(QString::fromUtf8("Frames ä 1.csv"));
    ASSERT_TRUE(writer.open(path)) << writer.error().toStdString();
    CsvExportFilter filter;
    filter.maxAngle = 100;
    std::string expected(CsvRowWriter::kMultiFrameHeader);
    expected += '\n';
    CsvRowWriter reference(geometry, CsvRowWriter::Layout::MultiFrame);
    for (int n = 1; n <= 5; ++n) {
        EXPECT_FALSE(writer.complete());
        auto frame = std::make_shared<const MuchLidarData>(frameOf(2000 * n, n));
        reference.appendFrame(expected, *frame, filter, n);
        writer.write(frame, filter);
    }
    // Complete as the last frame is queued, whether or not it is written yet.
    EXPECT_TRUE(writer.complete());
    writer.write(std::make_shared<const MuchLidarData>(frameOf(10, 0)), filter);
    EXPECT_EQ(writer.framesQueued(), 5);
    EXPECT_TRUE(writer.finish());
    EXPECT_EQ(writer.framesWritten(), 5);
    EXPECT_EQ(fileText(path), expected);
}

TEST_F(CsvExportWriterTest, OpenAndWriteFailuresNameTheFileAndTheReason) {
    CsvExportWriter missingFolder(geometry, CsvRowWriter::Layout::SingleFrame, 1);
    const QString path = dir.filePath("no/such/folder/x.csv");
    EXPECT_FALSE(missingFolder.open(path));
    EXPECT_EQ(missingFolder.error(), path + ": No such file or directory");
    EXPECT_FALSE(missingFolder.finish());

    if (!QFile::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full to fill";
    }
    CsvExportWriter full(geometry, CsvRowWriter::Layout::MultiFrame, 3);
    QSignalSpy errors(&full, &CsvExportWriter::SendError);
    // The header alone may sit in the C library's buffer until its flush.
    if (!full.open("/dev/full")) {
        EXPECT_EQ(full.error(), "/dev/full: No space left on device");
        return;
    }
    const auto frame = std::make_shared<const MuchLidarData>(frameOf(100, 0));
    for (int n = 1; n <= 3; ++n) {
        full.write(frame, CsvExportFilter{});
    }
    ASSERT_TRUE(errors.wait(5000));
    EXPECT_FALSE(full.finish());
    EXPECT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0][0].toString(), "/dev/full: No space left on device");
    EXPECT_EQ(full.framesWritten(), 0);
}

TEST(CsvFileNames, LocalTimeStampsAndTheFrameCount) {
    const QDateTime t(QDate(2026, 12, 7), QTime(14, 5, 9));
    EXPECT_EQ(CsvFileNames::singleFrame(t), "Vantor_2026-12-07-14-05-09.csv");
    EXPECT_EQ(CsvFileNames::multiFrame(t, 10), "Vantor_2026-12-07-14-05_10Frame.csv");
}

TEST(ExportSettings, FilterTakesTheChannelsThroughTheIndexAndTheWindow) {
    ExportSettings settings;
    CsvExportFilter f = settings.filter();
    EXPECT_EQ(f.channels, CsvExportFilter::allChannels());
    EXPECT_EQ(f.minAngle, 0);
    EXPECT_EQ(f.maxAngle, 180);
    EXPECT_FALSE(f.box.has_value());
    settings.channels.laserSelected[5] = 0;
    settings.minAngle = 200;
    f = settings.filter();
    EXPECT_FALSE(f.channels[5]);
    EXPECT_TRUE(f.channels[6]);
    EXPECT_EQ(f.minAngle, 200);
}
