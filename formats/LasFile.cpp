#include "formats/LasFile.h"

#include "formats/LittleEndian.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace LasFile {

namespace {

using namespace LittleEndian;

// Return number 1 of 1 (bits 0-2 and 3-5); scan direction and edge flags 0.
constexpr std::uint8_t kSingleReturn = 1 | 1 << 3;
constexpr std::uint16_t kAdjustedStandardGpsTime = 1;
constexpr std::uint8_t kPointFormat = 1;
constexpr double kUnitsPerMetre = 1000; // 1 / kScale, exactly

void putText(std::string& out, const std::string& text, std::size_t size) {
    std::string field = text.substr(0, size - 1);
    field.resize(size, '\0');
    out += field;
}

struct Axis {
    double offset = 0;
    std::int32_t min = 0;
    std::int32_t max = 0;
};

} // namespace

bool encode(const std::vector<Point>& points, const Info& info, std::string& out) {
    // Offsets from the extent of the coordinates as given.
    std::array<Axis, 3> axes{};
    if (!points.empty()) {
        for (int a = 0; a < 3; ++a) {
            const auto coordinate = [a](const Point& p) {
                return a == 0 ? p.x : a == 1 ? p.y : p.z;
            };
            double low = std::numeric_limits<double>::infinity();
            double high = -low;
            for (const Point& p : points) {
                low = std::min(low, coordinate(p));
                high = std::max(high, coordinate(p));
            }
            if (!std::isfinite(low) || !std::isfinite(high)) {
                return false;
            }
            axes[a].offset = std::round((low + high) / 2);
        }
    }

    std::string body;
    body.reserve(points.size() * kPointSize);
    std::array<std::int32_t, 3> scaled{};
    bool first = true;
    for (const Point& p : points) {
        const double values[3] = {p.x, p.y, p.z};
        for (int a = 0; a < 3; ++a) {
            const double units = std::round((values[a] - axes[a].offset) * kUnitsPerMetre);
            if (!(std::abs(units) <= std::numeric_limits<std::int32_t>::max())) {
                return false;
            }
            scaled[a] = static_cast<std::int32_t>(units);
            axes[a].min = first ? scaled[a] : std::min(axes[a].min, scaled[a]);
            axes[a].max = first ? scaled[a] : std::max(axes[a].max, scaled[a]);
        }
        first = false;
        putI32(body, scaled[0]);
        putI32(body, scaled[1]);
        putI32(body, scaled[2]);
        putU16(body, p.intensity);
        putU8(body, kSingleReturn);
        putU8(body, 0); // classification: created, never classified
        putU8(body, 0); // scan angle rank
        putU8(body, p.userData);
        putU16(body, 0); // point source ID
        putF64(body, info.gpsTime);
    }

    const std::size_t start = out.size();
    out.reserve(start + kHeaderSize + body.size());
    out += "LASF";
    putU16(out, 0); // file source ID
    putU16(out, kAdjustedStandardGpsTime);
    out.append(16, '\0'); // project ID (GUID)
    putU8(out, 1);
    putU8(out, 2);
    putText(out, info.systemIdentifier, 32);
    putText(out, info.generatingSoftware, 32);
    putU16(out, info.dayOfYear);
    putU16(out, info.year);
    putU16(out, static_cast<std::uint16_t>(kHeaderSize));
    putU32(out, static_cast<std::uint32_t>(kHeaderSize)); // no variable-length records
    putU32(out, 0);
    putU8(out, kPointFormat);
    putU16(out, static_cast<std::uint16_t>(kPointSize));
    const auto count = static_cast<std::uint32_t>(points.size());
    putU32(out, count);
    putU32(out, count); // all of them first returns
    for (int r = 2; r <= 5; ++r) {
        putU32(out, 0);
    }
    for (int a = 0; a < 3; ++a) {
        putF64(out, kScale);
    }
    for (const Axis& axis : axes) {
        putF64(out, axis.offset);
    }
    // Bounds as a reader computes the coordinates: units * scale + offset.
    for (const Axis& axis : axes) {
        putF64(out, axis.max * kScale + axis.offset);
        putF64(out, axis.min * kScale + axis.offset);
    }
    out += body;
    return true;
}

} // namespace LasFile
