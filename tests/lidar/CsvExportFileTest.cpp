#include "lidar/CsvExportFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const ChannelGeometry geometry;
constexpr auto kMultiFrame = CsvRowWriter::Layout::MultiFrame;

MuchLidarData frameWith(int points) {
    MuchLidarData frame;
    for (int i = 0; i < points; ++i) {
        frame.append(points - 1 - i, 1.0f * i, 100.0f + i, i);
    }
    return frame;
}

QStringList linesOf(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    EXPECT_EQ(lines.takeLast(), ""); // every line ends with a newline
    return lines;
}

} // namespace

TEST(CsvExportFile, NumbersFramesFromOneAndStopsAtTheWantedCount) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/out.csv";
    CsvExportFile file(geometry, kMultiFrame, 2);
    ASSERT_TRUE(file.open(path)) << qPrintable(file.error());
    EXPECT_TRUE(file.writeFrame(frameWith(3)));
    EXPECT_FALSE(file.complete());
    EXPECT_TRUE(file.writeFrame(frameWith(0))); // an empty frame still counts
    EXPECT_TRUE(file.complete());
    EXPECT_TRUE(file.writeFrame(frameWith(5))); // beyond the count: ignored
    EXPECT_EQ(file.framesWritten(), 2);
    EXPECT_EQ(file.rowsWritten(), 3u);
    ASSERT_TRUE(file.close());
    EXPECT_EQ(static_cast<qint64>(file.bytesWritten()), QFile(path).size());

    const QStringList lines = linesOf(path);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0],
              "FrameNumbers,Points_X,Points_Y,Points_Z,Laser_id,Azimuth,Distance,Intensity");
    // Grouped by channel: channel 0 is the last point of the frame.
    EXPECT_TRUE(lines[1].startsWith("1,")) << qPrintable(lines[1]);
    EXPECT_TRUE(lines[1].endsWith(",0,2,1.02,2")) << qPrintable(lines[1]);
    EXPECT_TRUE(lines[3].endsWith(",2,0,1,0")) << qPrintable(lines[3]);
}

TEST(CsvExportFile, FramesAreOnDiskAsSoonAsTheyAreWrittenAndNamedOnceClosed) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/out.csv";
    CsvExportFile file(geometry, kMultiFrame, 3);
    ASSERT_TRUE(file.open(path));
    ASSERT_TRUE(file.writeFrame(frameWith(4)));
    EXPECT_EQ(linesOf(path + ".part").size(), 5); // read while still open
    EXPECT_FALSE(QFile::exists(path));
    ASSERT_TRUE(file.close());
    EXPECT_EQ(linesOf(path).size(), 5);
    EXPECT_FALSE(QFile::exists(path + ".part"));

    // One stopped before its frames keeps its part name, also when it is
    // only destroyed.
    for (const bool explicitly : {true, false}) {
        const QString stopped = dir.path() + (explicitly ? "/kept.csv" : "/dropped.csv");
        {
            CsvExportFile stoppedFile(geometry, kMultiFrame, 3);
            ASSERT_TRUE(stoppedFile.open(stopped));
            ASSERT_TRUE(stoppedFile.writeFrame(frameWith(2)));
            if (explicitly) {
                ASSERT_TRUE(stoppedFile.keep());
            }
        }
        EXPECT_EQ(linesOf(stopped + ".part").size(), 3);
        EXPECT_FALSE(QFile::exists(stopped));
    }
}

TEST(CsvExportFile, FailuresToWriteAreReported) {
    CsvExportFile missing(geometry, kMultiFrame, 1);
    EXPECT_FALSE(missing.open("/nonexistent-dir/out.csv"));
    EXPECT_TRUE(missing.error().contains("/nonexistent-dir/out.csv"))
        << qPrintable(missing.error());

    CsvExportFile full(geometry, kMultiFrame, 1);
    EXPECT_FALSE(full.open("/dev/full")); // the header's flush fails
    EXPECT_TRUE(full.error().contains("No space left")) << qPrintable(full.error());
}
