#include "tools/export/SensorListing.h"

#include "lidar/SensorTable.h"

#include <QStringList>

namespace SensorListing {

QString text(const std::vector<SensorCounts>& sensors, std::uint64_t refused) {
    QString out;
    for (const SensorCounts& s : sensors) {
        out += QStringLiteral("%1  %2 %3  %4 %5\n")
                   .arg(s.sensor.textWithPort())
                   .arg(s.datagrams)
                   .arg(s.datagrams == 1 ? QStringLiteral("datagram") : QStringLiteral("datagrams"))
                   .arg(s.frames)
                   .arg(s.frames == 1 ? QStringLiteral("frame") : QStringLiteral("frames"));
    }
    if (refused > 0) {
        out += QStringLiteral("%1 datagrams from further sources than the %2 sensors taken, "
                              "dropped\n")
                   .arg(refused)
                   .arg(SensorTable::kMaxSensors);
    }
    return out;
}

} // namespace SensorListing
