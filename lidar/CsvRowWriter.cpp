#include "lidar/CsvRowWriter.h"

#include "lidar/FloatFormat.h"

#include <array>
#include <charconv>

namespace {

char* writeInteger(char* out, std::int64_t value) {
    return std::to_chars(out, out + 24, value).ptr;
}

// A multi-frame row: an integer, five floats, two more integers and the
// separators.
constexpr std::size_t kMaxRowLength = 3 * 24 + 5 * FloatFormat::kMaxLength + 8;

} // namespace

CsvRowWriter::CsvRowWriter(const ChannelGeometry& geometry, Layout layout)
    : points_(geometry), layout_(layout) {}

void CsvRowWriter::appendHeader(std::string& out) const {
    out += layout_ == Layout::MultiFrame ? kMultiFrameHeader : kSingleFrameHeader;
    out += '\n';
}

void CsvRowWriter::appendFloat(std::string& out, float value) {
    std::array<char, FloatFormat::kMaxLength> buffer{};
    out.append(buffer.data(), FloatFormat::writeGeneral6(buffer.data(), value));
}

void CsvRowWriter::appendInteger(std::string& out, std::int64_t value) {
    std::array<char, 24> buffer{};
    out.append(buffer.data(), writeInteger(buffer.data(), value));
}

std::size_t CsvRowWriter::appendFrame(std::string& out, const MuchLidarData& frame,
                                      const CsvExportFilter& filter, int frameNumber) {
    std::array<char, kMaxRowLength> line;
    return points_.forEach(
        frame, filter,
        [&](std::uint32_t i, int channel, float azimuth, float distance, const PointXyz& point) {
            char* p = line.data();
            if (layout_ == Layout::MultiFrame) {
                p = writeInteger(p, frameNumber);
                *p++ = ',';
            }
            p = FloatFormat::writeGeneral6(p, point.x);
            *p++ = ',';
            p = FloatFormat::writeGeneral6(p, point.y);
            *p++ = ',';
            p = FloatFormat::writeGeneral6(p, point.z);
            *p++ = ',';
            p = writeInteger(p, channel);
            *p++ = ',';
            p = FloatFormat::writeGeneral6(p, azimuth);
            *p++ = ',';
            p = FloatFormat::writeGeneral6(p, distance / 100);
            *p++ = ',';
            p = writeInteger(p, frame.intensities[i]);
            *p++ = '\n';
            out.append(line.data(), p);
        });
}
