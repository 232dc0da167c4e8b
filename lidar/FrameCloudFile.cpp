#include "lidar/FrameCloudFile.h"

#include "lidar/ExportedPoints.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <pcl/conversions.h>
#include <pcl/exceptions.h>
#include <pcl/io/pcd_io.h>
#include <pcl/io/ply_io.h>

namespace FrameCloudFile {

FramePointCloud pointsOf(const MuchLidarData& frame, const ChannelGeometry& geometry,
                         const CsvExportFilter& filter) {
    FramePointCloud cloud;
    cloud.reserve(frame.size());
    ExportedPoints(geometry).forEach(
        frame, filter, [&](std::uint32_t i, int channel, float, float, const PointXyz& p) {
            FramePoint point;
            point.x = p.x;
            point.y = p.y;
            point.z = p.z;
            point.intensity = static_cast<float>(frame.intensities[i]);
            point.channel = static_cast<std::uint8_t>(channel);
            cloud.push_back(point);
        });
    return cloud;
}

std::optional<Format> formatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("pcd")) {
        return Format::Pcd;
    }
    if (suffix == QLatin1String("ply")) {
        return Format::Ply;
    }
    return std::nullopt;
}

QString write(const FramePointCloud& points, const QString& path, Format format) {
    if (points.empty()) {
        // The library refuses to write a file without points.
        return QStringLiteral("%1: there are no points to write").arg(path);
    }
    const std::string name = QFile::encodeName(path).toStdString();
    errno = 0;
    int result = -1;
    QString reason;
    try {
        if (format == Format::Pcd) {
            // The writer for the point type leaves out the struct's padding.
            result = pcl::PCDWriter().writeBinary(name, points);
        } else {
            pcl::PCLPointCloud2 blob;
            pcl::toPCLPointCloud2(points, blob);
            // Without the library's own camera element, which other
            // programs do not know.
            result = pcl::PLYWriter().write(name, blob, Eigen::Vector4f::Zero(),
                                            Eigen::Quaternionf::Identity(), true, false);
        }
    } catch (const pcl::PCLException& e) {
        reason = QString::fromStdString(e.detailedMessage());
    }
    if (result == 0) {
        return QString();
    }
    if (errno != 0) {
        reason = qt_error_string(errno);
    }
    return QStringLiteral("%1: %2").arg(path,
                                        reason.isEmpty() ? QStringLiteral("write error") : reason);
}

} // namespace FrameCloudFile
