#include "lidar/ReceptionHealth.h"

HealthFigures ReceptionHealth::sample(double now, const ReceptionCounts& counts,
                                      std::optional<double> lastDevicePacket) {
    HealthFigures f;
    if (previousAt_ && now > *previousAt_) {
        const double seconds = now - *previousAt_;
        const auto rate = [seconds](std::uint64_t later, std::uint64_t earlier) {
            return later >= earlier ? static_cast<double>(later - earlier) / seconds : 0.0;
        };
        f.datagramsPerSecond = rate(counts.datagrams, previous_.datagrams);
        f.framesReceivedPerSecond = rate(counts.framesReceived, previous_.framesReceived);
        f.framesDrawnPerSecond = rate(counts.framesDrawn, previous_.framesDrawn);
    }
    const auto since = [](std::uint64_t total, std::uint64_t base) {
        return total >= base ? total - base : 0;
    };
    f.kernelDrops = since(counts.kernelDrops, baseline_.kernelDrops);
    f.wrongSize = since(counts.wrongSize, baseline_.wrongSize);
    f.sensorBound = since(counts.sensorBound, baseline_.sensorBound);
    f.oddFrames = since(counts.oddFrames, baseline_.oddFrames);
    if (lastDevicePacket && (!resetAt_ || *lastDevicePacket >= *resetAt_)) {
        f.secondsSinceDevicePacket = now > *lastDevicePacket ? now - *lastDevicePacket : 0.0;
    }
    // Samples come about once a second, so an arrival is dated to the sample
    // that sees it: "no data" is never said while data still flows, and is
    // said at most one sample late.
    if (!lastArrivalAt_ || counts.datagrams != previous_.datagrams ||
        counts.framesReceived != previous_.framesReceived) {
        lastArrivalAt_ = now;
    }
    f.noData = now - *lastArrivalAt_ >= kNoDataSeconds;
    previous_ = counts;
    previousAt_ = now;
    return f;
}

void ReceptionHealth::reset(double now, const ReceptionCounts& counts) {
    baseline_ = counts;
    resetAt_ = now;
    lastArrivalAt_ = now;
}
