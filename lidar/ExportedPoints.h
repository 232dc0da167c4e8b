#pragma once

#include "lidar/ChannelGeometry.h"
#include "lidar/CsvExportFilter.h"
#include "lidar/MuchLidarData.h"

#include <cstdint>
#include <vector>

// The points of a frame that an export writes, in the exports' order: by
// channel 0..127, the points of a channel in their stored order. A point is
// written when its distance is 0 or more and it passes the filter (channel,
// azimuth window, selection box); its coordinates are those of the display,
// placed by the filter's pose.
class ExportedPoints {
public:
    explicit ExportedPoints(const ChannelGeometry& geometry) : geometry_(geometry) {}

    // Calls `visit(index, channel, azimuth, distance, point)` for each
    // written point and returns how many there were.
    template <class Visit>
    std::size_t forEach(const MuchLidarData& frame, const CsvExportFilter& filter, Visit&& visit) {
        // Points as the sensor gives them take no placing at all.
        if (filter.pose.isIdentity()) {
            return visitPoints(
                frame, filter, [](const PointXyz& p) { return p; }, visit);
        }
        return visitPoints(
            frame, filter, [&](const PointXyz& p) { return filter.pose.apply(p); }, visit);
    }

private:
    template <class Place, class Visit>
    std::size_t visitPoints(const MuchLidarData& frame, const CsvExportFilter& filter,
                            const Place& place, Visit& visit) {
        groupByChannel(frame);
        std::size_t count = 0;
        for (const std::uint32_t i : order_) {
            const int channel = frame.laserIds[i];
            const float azimuth = frame.azimuths[i];
            const float distance = frame.distances[i];
            if (!(distance >= 0) || !filter.channels[channel] || !(filter.minAngle <= azimuth) ||
                !(azimuth <= filter.maxAngle)) {
                continue;
            }
            const PointXyz point = place(geometry_.point(channel, azimuth, distance));
            if (filter.box && !filter.box->contains(point)) {
                continue;
            }
            visit(i, channel, azimuth, distance, point);
            ++count;
        }
        return count;
    }

    // Fills order_ with the point indices grouped by channel, stable within
    // a channel, in one counting pass; points with a channel outside 0..127
    // are left out.
    void groupByChannel(const MuchLidarData& frame);

    const ChannelGeometry& geometry_;
    std::vector<std::uint32_t> order_;
};
