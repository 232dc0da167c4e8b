#include "python/FramePoints.h"

PointBuffer FramePoints::convert(const MuchLidarData& frame, const CsvExportFilter& filter) {
    PointBuffer buffer(frame.size());
    PointRecord* next = buffer.data();
    const std::size_t kept = points_.forEach(
        frame, filter,
        [&](std::uint32_t i, int channel, float azimuth, float distance, const PointXyz& p) {
            // Distances are kept in centimetres; the CSV gives metres.
            *next++ = PointRecord{p.x,
                                  p.y,
                                  p.z,
                                  static_cast<std::uint8_t>(frame.intensities[i]),
                                  static_cast<std::uint8_t>(channel),
                                  {0, 0},
                                  azimuth,
                                  distance / 100};
        });
    buffer.shrinkTo(kept);
    return buffer;
}
