#include "lidar/AzimuthTrigTable.h"

#include "lidar/ChannelGeometry.h"

#include <cmath>

AzimuthTrigTable::AzimuthTrigTable() : entries_(65536) {
    for (std::uint32_t raw = 0; raw < entries_.size(); ++raw) {
        entries_[raw] = compute(azimuthOf(raw));
    }
}

const AzimuthTrigTable& AzimuthTrigTable::instance() {
    static const AzimuthTrigTable table;
    return table;
}

AzimuthTrigTable::Entry AzimuthTrigTable::compute(float a) {
    constexpr double pi = ChannelGeometry::kPi;
    const double radians = a * pi / 180;
    const float plus = a + 15;
    const float minus = a - 15;
    return Entry{std::cos(radians), std::sin(radians), std::cos(plus * pi / 360),
                 std::sin(minus * pi / 360)};
}
