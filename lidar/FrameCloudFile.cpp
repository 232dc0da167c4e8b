#include "lidar/FrameCloudFile.h"

#include "formats/GpsTime.h"
#include "formats/LasFile.h"
#include "lidar/ExportedPoints.h"
#include "lidar/PartFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cmath>
#include <pcl/conversions.h>
#include <pcl/exceptions.h>
#include <pcl/io/pcd_io.h>
#include <pcl/io/ply_io.h>

namespace FrameCloudFile {

namespace {

// Writes with the point-cloud library; the reason when that failed.
QString writeWithLibrary(const FramePointCloud& points, const QString& path, Format format) {
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
    return reason.isEmpty() ? QStringLiteral("write error") : reason;
}

std::string lasBytes(const FramePointCloud& points, std::optional<std::int64_t> captureTime) {
    std::vector<LasFile::Point> las;
    las.reserve(points.size());
    for (const FramePoint& p : points) {
        las.push_back(
            {p.x, p.y, p.z, static_cast<std::uint16_t>(std::lround(p.intensity)), p.channel});
    }
    const QDate day = captureTime
                          ? QDateTime::fromMSecsSinceEpoch(*captureTime / 1000000, Qt::UTC).date()
                          : QDateTime::currentDateTimeUtc().date();
    LasFile::Info info;
    info.gpsTime = captureTime ? GpsTime::adjustedStandard(*captureTime) : 0;
    info.dayOfYear = static_cast<std::uint16_t>(day.dayOfYear());
    info.year = static_cast<std::uint16_t>(day.year());
    info.systemIdentifier = "Vantor 128-channel lidar";
    info.generatingSoftware = "Vantor Viewer";
    std::string bytes;
    // Frame coordinates lie within the sensor's range: always encodable.
    LasFile::encode(las, info, bytes);
    return bytes;
}

} // namespace

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
    for (const Format format : {Format::Pcd, Format::Ply, Format::Las}) {
        if (suffix == suffixOf(format)) {
            return format;
        }
    }
    return std::nullopt;
}

QString suffixOf(Format format) {
    switch (format) {
    case Format::Pcd:
        return QStringLiteral("pcd");
    case Format::Ply:
        return QStringLiteral("ply");
    case Format::Las:
        break;
    }
    return QStringLiteral("las");
}

QString write(const FramePointCloud& points, const QString& path, Format format,
              std::optional<std::int64_t> captureTime) {
    if (points.empty()) {
        // The library refuses to write a file without points.
        return QStringLiteral("%1: there are no points to write").arg(path);
    }
    PartFile file(path);
    if (format == Format::Las) {
        const std::string bytes = lasBytes(points, captureTime);
        if (!file.open() || !file.write(bytes.data(), bytes.size()) || !file.commit()) {
            return file.error();
        }
        return QString();
    }
    const QString reason = writeWithLibrary(points, file.partPath(), format);
    if (!reason.isEmpty()) {
        return QStringLiteral("%1: %2").arg(path, reason);
    }
    return file.commit() ? QString() : file.error();
}

} // namespace FrameCloudFile
