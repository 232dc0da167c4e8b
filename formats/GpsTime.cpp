#include "formats/GpsTime.h"

#include "formats/UnixTime.h"

#include <array>

namespace GpsTime {

namespace {

// The UTC instants (Unix seconds) from which each further leap second
// counted; none has been announced after 2017-01-01.
constexpr std::array<std::int64_t, 18> kLeapSecondStarts = {
    362793600, 394329600,  425865600,  489024000,  567993600,  631152000,
    662688000, 709948800,  741484800,  773020800,  820454400,  867715200,
    915148800, 1136073600, 1230768000, 1341100800, 1435708800, 1483228800};

constexpr std::int64_t kGpsEpochUnixSeconds = 315964800; // 1980-01-06 00:00:00 UTC

} // namespace

int leapSeconds(std::int64_t unixSeconds) {
    int count = 0;
    for (const std::int64_t start : kLeapSecondStarts) {
        count += unixSeconds >= start ? 1 : 0;
    }
    return count;
}

double adjustedStandard(std::int64_t unixNanoseconds) {
    const UnixTime t = UnixTime::fromNanoseconds(unixNanoseconds);
    const std::int64_t gpsSeconds = t.seconds - kGpsEpochUnixSeconds + leapSeconds(t.seconds);
    return static_cast<double>(gpsSeconds - 1000000000) + static_cast<double>(t.nanoseconds) * 1e-9;
}

} // namespace GpsTime
