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
    : geometry_(geometry), layout_(layout) {}

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

void CsvRowWriter::groupByChannel(const MuchLidarData& frame) {
    constexpr int channels = DataPacket::kChannelCount;
    std::array<std::uint32_t, channels + 1> start{};
    for (const std::int32_t c : frame.laserIds) {
        if (c >= 0 && c < channels) {
            ++start[c + 1];
        }
    }
    for (int c = 0; c < channels; ++c) {
        start[c + 1] += start[c];
    }
    order_.resize(start[channels]);
    for (std::uint32_t i = 0; i < frame.size(); ++i) {
        const std::int32_t c = frame.laserIds[i];
        if (c >= 0 && c < channels) {
            order_[start[c]++] = i;
        }
    }
}

std::size_t CsvRowWriter::appendFrame(std::string& out, const MuchLidarData& frame,
                                      const CsvExportFilter& filter, int frameNumber) {
    groupByChannel(frame);
    std::size_t rows = 0;
    std::array<char, kMaxRowLength> line;
    for (const std::uint32_t i : order_) {
        const int channel = frame.laserIds[i];
        const float azimuth = frame.azimuths[i];
        const float distance = frame.distances[i];
        if (!(distance >= 0) || !filter.channels[channel] || !(filter.minAngle <= azimuth) ||
            !(azimuth <= filter.maxAngle)) {
            continue;
        }
        const PointXyz point = geometry_.point(channel, azimuth, distance);
        if (filter.box && !filter.box->contains(point)) {
            continue;
        }
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
        ++rows;
    }
    return rows;
}
