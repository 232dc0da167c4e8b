#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// LAS files of version 1.2 with point data record format 1: x, y, z as
// integers scaled to millimetres from per-file offsets, intensity, the
// return and class fields, user data, point source and GPS time, 28 bytes a
// point. It is the version and format every survey and GIS program reads;
// version 1.4 and its formats 6 and up add nothing a frame needs (64-bit
// counts, more classes, a 2-bit scanner channel) and are read by fewer.
namespace LasFile {

struct Point {
    double x = 0;
    double y = 0;
    double z = 0;
    std::uint16_t intensity = 0;
    std::uint8_t userData = 0;
};

struct Info {
    // Every point's time: adjusted standard GPS time (the global encoding
    // says so).
    double gpsTime = 0;
    // The file's creation day: 1 to 366, and the year.
    std::uint16_t dayOfYear = 0;
    std::uint16_t year = 0;
    std::string systemIdentifier;   // up to 31 characters are kept
    std::string generatingSoftware; // up to 31 characters are kept
};

constexpr double kScale = 0.001;
constexpr std::size_t kHeaderSize = 227;
constexpr std::size_t kPointSize = 28;

// Appends the whole file to `out`: the header with the exact bounds and
// counts, then the points in their order. Offsets are the middle of the
// points' extent in whole metres. False (and nothing appended) when a
// coordinate is not finite or lies more than 2,147 km from that middle.
bool encode(const std::vector<Point>& points, const Info& info, std::string& out);

} // namespace LasFile
