#include "lidar/FrameCloudFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <pcl/io/pcd_io.h>
#include <pcl/io/ply_io.h>

namespace {

// Points of channels whose height does not depend on the azimuth (the
// first of each group of four), out of channel order, one with distance 0
// and one with a negative distance.
MuchLidarData sampleFrame() {
    MuchLidarData f;
    f.append(72, 0.0f, 500, 200);
    f.append(4, 90.0f, 1200, 17);
    f.append(72, 11.0f, 0, 5);
    f.append(124, 359.99f, 2500.5f, 255);
    f.append(4, 180.0f, -1, 9);
    f.append(68, 45.0f, 800, 0);
    return f;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(FrameCloudFile, PcdAndPlyFilesHoldThePointsTheCsvWouldInTheirPublishedLayouts) {
    const ChannelGeometry geometry;
    CsvExportFilter filter;
    // A box that leaves out the far point of channel 127.
    filter.box = SelectionBox{-15, 15, -15, 15, -15, 15};
    const FramePointCloud points = FrameCloudFile::pointsOf(sampleFrame(), geometry, filter);

    // By channel, distance 0 or more, inside the box: x = d cos(e) cos(a),
    // y = d cos(e) sin(a), z = d sin(e) for elevation e = channel / 4 - 17
    // degrees, with pi taken as 3.14159 as the sensor's geometry does.
    struct Expected {
        float x, y, z, intensity;
        int channel;
    };
    const Expected expected[] = {{1.530477e-05f, 11.53514f, -3.307646f, 17, 4},
                                 {5.656858f, 5.65685f, 0, 0, 68},
                                 {4.999238f, 0, 0.08726196f, 200, 72},
                                 {0, 0, 0, 5, 72}};
    const auto near = [](float actual, float wanted) {
        return std::abs(actual - wanted) <= 1e-5f + 1e-5f * std::abs(wanted);
    };

    QTemporaryDir dir;
    const struct {
        const char* name;
        FrameCloudFile::Format format;
        const char* header;
    } files[] = {{"frame.pcd", FrameCloudFile::Format::Pcd,
                  "# .PCD v0.7 - Point Cloud Data file format\nVERSION 0.7\n"
                  "FIELDS x y z intensity channel\nSIZE 4 4 4 4 1\nTYPE F F F F U\n"
                  "COUNT 1 1 1 1 1\nWIDTH 4\nHEIGHT 1\nVIEWPOINT 0 0 0 1 0 0 0\nPOINTS 4\n"
                  "DATA binary\n"},
                 {"frame.ply", FrameCloudFile::Format::Ply,
                  "ply\nformat binary_little_endian 1.0\nelement vertex 4\n"
                  "property float x\nproperty float y\nproperty float z\n"
                  "property float intensity\nproperty uchar channel\nend_header\n"}};
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        const QString path = dir.filePath(file.name);
        EXPECT_EQ(FrameCloudFile::formatOf(path.toUpper()), file.format);
        ASSERT_EQ(FrameCloudFile::write(points, path, file.format, "test 1.0"), QString());
        // The header, then 17 packed bytes a point.
        const QByteArray bytes = fileBytes(path);
        ASSERT_TRUE(bytes.startsWith(file.header)) << bytes.left(400).constData();
        EXPECT_EQ(bytes.size(), static_cast<int>(std::strlen(file.header) + 4 * 17));
        EXPECT_EQ(bytes.back(), 72); // the last point's channel

        // Read back by the point-cloud library's own readers.
        FramePointCloud read;
        const int loaded = file.format == FrameCloudFile::Format::Pcd
                               ? pcl::io::loadPCDFile(path.toStdString(), read)
                               : pcl::io::loadPLYFile(path.toStdString(), read);
        ASSERT_EQ(loaded, 0);
        ASSERT_EQ(read.size(), std::size(expected));
        for (std::size_t i = 0; i < read.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_PRED2(near, read[i].x, expected[i].x);
            EXPECT_PRED2(near, read[i].y, expected[i].y);
            EXPECT_PRED2(near, read[i].z, expected[i].z);
            EXPECT_EQ(read[i].intensity, expected[i].intensity);
            EXPECT_EQ(read[i].channel, expected[i].channel);
        }
    }

    EXPECT_FALSE(FrameCloudFile::formatOf("frame.csv"));
    const QString unwritable = dir.filePath("missing/frame.pcd");
    EXPECT_EQ(FrameCloudFile::write(points, unwritable, FrameCloudFile::Format::Pcd, "test 1.0"),
              unwritable + ": No such file or directory");
    EXPECT_FALSE(
        FrameCloudFile::write({}, dir.filePath("empty.ply"), FrameCloudFile::Format::Ply, "test")
            .isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"frame.pcd", "frame.ply"}));
}

TEST(FrameCloudFile, ALasFileNamesTheProgramThatWroteItAndItsVersion) {
    const ChannelGeometry geometry;
    const FramePointCloud points = FrameCloudFile::pointsOf(sampleFrame(), geometry, {});
    QTemporaryDir dir;
    const QString path = dir.filePath("frame.las");
    ASSERT_EQ(
        FrameCloudFile::write(points, path, FrameCloudFile::Format::Las, "lidar-export 2.1.0"),
        QString());
    // The public header block: system identifier at byte 26, generating
    // software at 58, 32 bytes each, padded with NULs.
    const QByteArray bytes = fileBytes(path);
    ASSERT_GE(bytes.size(), 227);
    EXPECT_EQ(bytes.mid(0, 4), "LASF");
    EXPECT_EQ(bytes.mid(58, 32), QByteArray("lidar-export 2.1.0").leftJustified(32, '\0'));
}
