#pragma once

#include <cstdint>

// GPS time from UTC: GPS seconds count from 1980-01-06 without leap
// seconds, so they run ahead of UTC by the leap seconds inserted since
// (18 from 2017 on).
namespace GpsTime {

// The GPS-UTC difference in seconds at `unixSeconds`.
int leapSeconds(std::int64_t unixSeconds);

// "Adjusted standard GPS time" (GPS seconds minus 10^9), the time of point
// records in LAS files, of an instant given in nanoseconds since 1970 UTC.
double adjustedStandard(std::int64_t unixNanoseconds);

} // namespace GpsTime
