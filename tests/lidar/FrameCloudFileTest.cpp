#include "lidar/FrameCloudFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <pcl/io/pcd_io.h>
#include <pcl/io/ply_io.h>

namespace {

// Points of several channels, out of channel order, one with distance 0
// and one with a negative distance.
MuchLidarData sampleFrame() {
    MuchLidarData f;
    f.append(70, 10.5f, 500, 200);
    f.append(3, 90.25f, 1200, 17);
    f.append(70, 11.0f, 0, 5);
    f.append(127, 359.99f, 2500.5f, 255);
    f.append(3, 180.0f, -1, 9);
    f.append(64, 45.0f, 800, 0);
    return f;
}

QByteArray head(const QString& path, int bytes) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(bytes) : QByteArray();
}

} // namespace

TEST(FrameCloudFile, PcdAndPlyFilesReadBackAsTheFrameTheCsvWouldHold) {
    const ChannelGeometry geometry;
    const MuchLidarData frame = sampleFrame();
    CsvExportFilter filter;
    // A box that leaves out the far point of channel 127.
    filter.box = SelectionBox{-15, 15, -15, 15, -15, 15};

    // What the single-frame CSV holds: by channel, distance 0 or more, in the box.
    struct Expected {
        std::size_t index;
        int channel;
    };
    const Expected expected[] = {{1, 3}, {5, 64}, {0, 70}, {2, 70}};
    const FramePointCloud points = FrameCloudFile::pointsOf(frame, geometry, filter);
    ASSERT_EQ(points.size(), std::size(expected));

    QTemporaryDir dir;
    const struct {
        const char* name;
        FrameCloudFile::Format format;
        const char* header;
    } files[] = {{"frame.pcd", FrameCloudFile::Format::Pcd, "DATA binary"},
                 {"frame.ply", FrameCloudFile::Format::Ply, "format binary_little_endian 1.0"}};
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        const QString path = dir.filePath(file.name);
        EXPECT_EQ(FrameCloudFile::formatOf(path.toUpper()), file.format);
        ASSERT_EQ(FrameCloudFile::write(points, path, file.format), QString());
        EXPECT_TRUE(head(path, 1000).contains(file.header));

        FramePointCloud read;
        const int loaded = file.format == FrameCloudFile::Format::Pcd
                               ? pcl::io::loadPCDFile(path.toStdString(), read)
                               : pcl::io::loadPLYFile(path.toStdString(), read);
        ASSERT_EQ(loaded, 0);
        ASSERT_EQ(read.size(), std::size(expected));
        for (std::size_t i = 0; i < read.size(); ++i) {
            const std::size_t k = expected[i].index;
            const PointXyz p =
                geometry.point(frame.laserIds[k], frame.azimuths[k], frame.distances[k]);
            EXPECT_EQ(read[i].x, p.x) << i;
            EXPECT_EQ(read[i].y, p.y) << i;
            EXPECT_EQ(read[i].z, p.z) << i;
            EXPECT_EQ(read[i].intensity, static_cast<float>(frame.intensities[k])) << i;
            EXPECT_EQ(read[i].channel, expected[i].channel) << i;
        }
    }

    std::vector<pcl::PCLPointField> fields;
    pcl::PCLPointCloud2 blob;
    ASSERT_EQ(pcl::io::loadPCDFile(dir.filePath("frame.pcd").toStdString(), blob), 0);
    std::vector<std::string> names;
    for (const auto& f : blob.fields) {
        names.push_back(f.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"x", "y", "z", "intensity", "channel"}));

    EXPECT_FALSE(FrameCloudFile::formatOf("frame.csv"));
    const QString unwritable = dir.filePath("missing/frame.pcd");
    EXPECT_TRUE(FrameCloudFile::write(points, unwritable, FrameCloudFile::Format::Pcd)
                    .startsWith(unwritable));
    EXPECT_FALSE(FrameCloudFile::write({}, dir.filePath("empty.ply"), FrameCloudFile::Format::Ply)
                     .isEmpty());
}
