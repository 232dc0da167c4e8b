#include "lidar/FramePointCloud2.h"

#include <cstring>

namespace FramePointCloud2 {

namespace {

struct Row {
    float x;
    float y;
    float z;
    float intensity;
    std::uint16_t channel;
    std::uint16_t padding;
    float azimuth;
    float distance;
};
static_assert(sizeof(Row) == kPointStep, "a row is the point step");

} // namespace

std::vector<PointCloud2Message::Field> fields() {
    using PointCloud2Message::kFloat32;
    using PointCloud2Message::kUint16;
    return {{"x", offsetof(Row, x), kFloat32, 1},
            {"y", offsetof(Row, y), kFloat32, 1},
            {"z", offsetof(Row, z), kFloat32, 1},
            {"intensity", offsetof(Row, intensity), kFloat32, 1},
            {"channel", offsetof(Row, channel), kUint16, 1},
            {"azimuth", offsetof(Row, azimuth), kFloat32, 1},
            {"distance", offsetof(Row, distance), kFloat32, 1}};
}

std::size_t append(std::string& out, const MuchLidarData& frame, ExportedPoints& points,
                   const CsvExportFilter& filter) {
    const std::size_t start = out.size();
    out.resize(start + frame.size() * kPointStep);
    char* next = &out[start];
    const std::size_t count = points.forEach(
        frame, filter,
        [&](std::uint32_t i, int channel, float azimuth, float distance, const PointXyz& p) {
            // Distances are kept in centimetres; the CSV gives metres.
            const Row row{p.x,
                          p.y,
                          p.z,
                          static_cast<float>(frame.intensities[i]),
                          static_cast<std::uint16_t>(channel),
                          0,
                          azimuth,
                          distance / 100};
            std::memcpy(next, &row, sizeof row);
            next += sizeof row;
        });
    out.resize(start + count * kPointStep);
    return count;
}

} // namespace FramePointCloud2
