#include "lidar/FrameCloudFile.h"

#include "formats/BinaryCloudFile.h"
#include "formats/GpsTime.h"
#include "formats/LasFile.h"
#include "lidar/ExportedPoints.h"
#include "lidar/PartFile.h"

#include <QDateTime>
#include <QFileInfo>
#include <cmath>

namespace FrameCloudFile {

namespace {

std::string lasBytes(const FramePointCloud& points, const QString& software,
                     std::optional<std::int64_t> captureTime) {
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
    info.generatingSoftware = software.toStdString();
    std::string bytes;
    // Frame coordinates lie within the sensor's range: always encodable.
    LasFile::encode(las, info, bytes);
    return bytes;
}

std::string pcdOrPlyBytes(const FramePointCloud& points, BinaryCloudFile::Kind kind) {
    std::string bytes = BinaryCloudFile::header(kind, points.size());
    bytes.reserve(bytes.size() + points.size() * BinaryCloudFile::kPointSize);
    for (const FramePoint& p : points) {
        BinaryCloudFile::appendPoint(bytes, p.x, p.y, p.z, p.intensity, p.channel);
    }
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
              const QString& software, std::optional<std::int64_t> captureTime) {
    if (points.empty()) {
        // Point-cloud programs refuse files without points.
        return QStringLiteral("%1: there are no points to write").arg(path);
    }
    const std::string bytes =
        format == Format::Las
            ? lasBytes(points, software, captureTime)
            : pcdOrPlyBytes(points, format == Format::Pcd ? BinaryCloudFile::Kind::Pcd
                                                          : BinaryCloudFile::Kind::Ply);
    PartFile file(path);
    if (!file.open() || !file.write(bytes.data(), bytes.size()) || !file.commit()) {
        return file.error();
    }
    return QString();
}

} // namespace FrameCloudFile
