#include "formats/LasFile.h"

#include "formats/LittleEndian.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
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

    // The records assembled in place behind the room for the header, which
    // follows once the bounds are known: appending field by field, or
    // copying the records again, costs more than the rest of the writing.
    const std::size_t start = out.size();
    out.resize(start + kHeaderSize + points.size() * kPointSize);
    char* record = &out[start + kHeaderSize];
    const auto put = [&record](std::size_t at, const auto& value) {
        std::memcpy(record + at, &value, sizeof value);
    };
    bool first = true;
    for (const Point& p : points) {
        const double values[3] = {p.x, p.y, p.z};
        for (int a = 0; a < 3; ++a) {
            const double units = std::round((values[a] - axes[a].offset) * kUnitsPerMetre);
            if (!(std::abs(units) <= std::numeric_limits<std::int32_t>::max())) {
                out.resize(start);
                return false;
            }
            const auto scaled = static_cast<std::int32_t>(units);
            axes[a].min = first ? scaled : std::min(axes[a].min, scaled);
            axes[a].max = first ? scaled : std::max(axes[a].max, scaled);
            put(4 * static_cast<std::size_t>(a), scaled);
        }
        first = false;
        put(12, p.intensity);
        put(14, kSingleReturn);
        // 15: classification 0 (created, never classified), 16: scan angle
        // rank 0, 18: point source ID 0.
        put(17, p.userData);
        put(20, info.gpsTime);
        record += kPointSize;
    }

    std::string header = "LASF";
    putU16(header, 0); // file source ID
    putU16(header, kAdjustedStandardGpsTime);
    header.append(16, '\0'); // project ID (GUID)
    putU8(header, 1);
    putU8(header, 2);
    putText(header, info.systemIdentifier, 32);
    putText(header, info.generatingSoftware, 32);
    putU16(header, info.dayOfYear);
    putU16(header, info.year);
    putU16(header, static_cast<std::uint16_t>(kHeaderSize));
    putU32(header, static_cast<std::uint32_t>(kHeaderSize)); // no variable-length records
    putU32(header, 0);
    putU8(header, kPointFormat);
    putU16(header, static_cast<std::uint16_t>(kPointSize));
    const auto count = static_cast<std::uint32_t>(points.size());
    putU32(header, count);
    putU32(header, count); // all of them first returns
    for (int r = 2; r <= 5; ++r) {
        putU32(header, 0);
    }
    for (int a = 0; a < 3; ++a) {
        putF64(header, kScale);
    }
    for (const Axis& axis : axes) {
        putF64(header, axis.offset);
    }
    // Bounds as a reader computes the coordinates: units * scale + offset.
    for (const Axis& axis : axes) {
        putF64(header, axis.max * kScale + axis.offset);
        putF64(header, axis.min * kScale + axis.offset);
    }
    std::memcpy(&out[start], header.data(), kHeaderSize);
    return true;
}

} // namespace LasFile
