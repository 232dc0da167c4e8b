#pragma once

#include "lidar/ChannelGeometry.h"
#include "lidar/CsvExportFilter.h"
#include "lidar/MuchLidarData.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Turns frames into the lines of the CSV export files. Rows are grouped by
// channel 0..127, the points of a channel in their stored order; floats are
// written as a C++ stream writes them by default (general format, 6
// significant digits), without the stream's locale machinery (FloatFormat).
class CsvRowWriter {
public:
    enum class Layout { SingleFrame, MultiFrame };

    static constexpr std::string_view kSingleFrameHeader =
        "Points_X,Points_Y,Points_Z,Laser_id,Azimuth,Distance,Intensity";
    static constexpr std::string_view kMultiFrameHeader =
        "FrameNumbers,Points_X,Points_Y,Points_Z,Laser_id,Azimuth,Distance,Intensity";

    CsvRowWriter(const ChannelGeometry& geometry, Layout layout);

    Layout layout() const { return layout_; }

    // The header line, newline included.
    void appendHeader(std::string& out) const;

    // Appends one line per point of `frame` that passes `filter` and returns
    // how many. `frameNumber` is the first field of the multi-frame layout.
    std::size_t appendFrame(std::string& out, const MuchLidarData& frame,
                            const CsvExportFilter& filter, int frameNumber = 0);

    static void appendFloat(std::string& out, float value);
    static void appendInteger(std::string& out, std::int64_t value);

private:
    // Fills order_ with the point indices grouped by channel, stable within
    // a channel, in one counting pass; points with a channel outside 0..127
    // are left out.
    void groupByChannel(const MuchLidarData& frame);

    const ChannelGeometry& geometry_;
    Layout layout_;
    std::vector<std::uint32_t> order_;
};
