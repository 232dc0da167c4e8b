#include "lidar/CsvRowWriter.h"

#include <array>
#include <charconv>

CsvRowWriter::CsvRowWriter(const ChannelGeometry& geometry, Layout layout)
    : geometry_(geometry), layout_(layout) {}

void CsvRowWriter::appendHeader(std::string& out) const {
    out += layout_ == Layout::MultiFrame ? kMultiFrameHeader : kSingleFrameHeader;
    out += '\n';
}

void CsvRowWriter::appendFloat(std::string& out, float value) {
    // A stream prints a float as a double with "%g" and precision 6;
    // to_chars with the general format and precision 6 is that conversion.
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                      static_cast<double>(value), std::chars_format::general, 6);
    out.append(buffer.data(), result.ptr);
}

void CsvRowWriter::appendInteger(std::string& out, std::int64_t value) {
    std::array<char, 24> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    out.append(buffer.data(), result.ptr);
}

void CsvRowWriter::sortByChannel(const MuchLidarData& frame) {
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
    sortByChannel(frame);
    std::size_t rows = 0;
    for (const std::uint32_t i : order_) {
        const int channel = frame.laserIds[i];
        const float azimuth = frame.azimuths[i];
        const float distance = frame.distances[i];
        if (!(distance >= 0) || !filter.channels[channel] || !(filter.minAngle <= azimuth) ||
            !(azimuth <= filter.maxAngle)) {
            continue;
        }
        const PointXyz p = geometry_.point(channel, azimuth, distance);
        if (filter.box && !filter.box->contains(p)) {
            continue;
        }
        if (layout_ == Layout::MultiFrame) {
            appendInteger(out, frameNumber);
            out += ',';
        }
        appendFloat(out, p.x);
        out += ',';
        appendFloat(out, p.y);
        out += ',';
        appendFloat(out, p.z);
        out += ',';
        appendInteger(out, channel);
        out += ',';
        appendFloat(out, azimuth);
        out += ',';
        appendFloat(out, distance / 100);
        out += ',';
        appendInteger(out, frame.intensities[i]);
        out += '\n';
        ++rows;
    }
    return rows;
}
