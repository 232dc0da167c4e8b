#pragma once

#include <cstdint>
#include <optional>

// Counts of the data path that only grow while the program runs.
struct ReceptionCounts {
    std::uint64_t datagrams = 0;   // data datagrams received
    std::uint64_t wrongSize = 0;   // datagrams of another size, ignored
    std::uint64_t kernelDrops = 0; // dropped by the system: the receive buffer was full
    std::uint64_t sensorBound = 0; // from sources beyond the bound on sensors, dropped
    std::uint64_t framesReceived = 0;
    std::uint64_t framesDrawn = 0;
    std::uint64_t oddFrames = 0; // point count far from the usual (PointCountWatch)
};

// What the health display shows: rates over the time since the previous
// sample, totals since the last reset.
struct HealthFigures {
    double datagramsPerSecond = 0;
    double framesReceivedPerSecond = 0;
    double framesDrawnPerSecond = 0;
    std::uint64_t kernelDrops = 0;
    std::uint64_t wrongSize = 0;
    std::uint64_t sensorBound = 0;
    std::uint64_t oddFrames = 0;
    // None when no device packet arrived since the reset.
    std::optional<double> secondsSinceDevicePacket;
    // Neither a datagram nor a frame arrived for ReceptionHealth::kNoDataSeconds.
    bool noData = false;

    // Signs of lost data, all kinds together.
    std::uint64_t lost() const { return kernelDrops + wrongSize + sensorBound + oddFrames; }
};

// Turns samples of the counts, taken about once a second, into the figures
// shown. Times are seconds on one monotonic clock.
class ReceptionHealth {
public:
    static constexpr double kNoDataSeconds = 1.0;

    HealthFigures sample(double now, const ReceptionCounts& counts,
                         std::optional<double> lastDevicePacket);
    // Totals count from `counts` on; device packets from `now` on. Data
    // has a second from `now` to arrive before it counts as missing.
    void reset(double now, const ReceptionCounts& counts);

private:
    ReceptionCounts baseline_;
    std::optional<double> resetAt_;
    ReceptionCounts previous_;
    std::optional<double> previousAt_;
    // The sample that first saw the counts as they are now: data arrived at
    // or before it.
    std::optional<double> lastArrivalAt_;
};
