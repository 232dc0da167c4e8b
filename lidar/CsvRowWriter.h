#pragma once

#include "lidar/ChannelGeometry.h"
#include "lidar/CsvExportFilter.h"
#include "lidar/ExportedPoints.h"
#include "lidar/MuchLidarData.h"

#include <cstdint>
#include <string>
#include <string_view>

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
    ExportedPoints points_;
    Layout layout_;
};
