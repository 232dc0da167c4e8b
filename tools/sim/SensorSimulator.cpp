#include "tools/sim/SensorSimulator.h"

#include "lidar/AzimuthTrigTable.h"
#include "lidar/ChannelGeometry.h"
#include "lidar/FrameCutter.h"

#include <cmath>
#include <cstdio>

SensorSimulator::SensorSimulator(const SyntheticScene& scene, int azimuthStep)
    : azimuthStep_(azimuthStep), azimuths_((36000 + azimuthStep - 1) / azimuthStep),
      writer_([this](const Payload& p) { sink_->push_back(p); }) {
    const ChannelGeometry geometry;
    constexpr float referenceCm = 100;
    for (int k = 0; k < azimuths_; ++k) {
        const auto azimuthRaw = static_cast<std::uint16_t>(k * azimuthStep);
        const float azimuth = AzimuthTrigTable::azimuthOf(azimuthRaw);
        for (int c = 0; c < DataPacket::kChannelCount; ++c) {
            // The decoded point is linear in the distance: d centimetres give
            // d / 100 times the point of 100 cm, whose length is not exactly
            // one metre because the elevation model is not a true sphere.
            const PointXyz p = geometry.point(c, azimuth, referenceCm);
            const Vec3 reference{p.x, p.y, p.z};
            const double referenceLength = reference.length();
            const auto hit = scene.cast(reference * (1 / referenceLength));
            if (!hit) {
                continue;
            }
            const double distanceCm = 100 * hit->range / referenceLength;
            const auto distanceRaw = static_cast<std::uint32_t>(std::lround(distanceCm * 256));
            if (distanceRaw > 0xFFFFFF) {
                continue;
            }
            std::uint8_t intensity = hit->intensity;
            // Capture readers look for markers at every byte offset; keep the
            // point bytes from spelling one.
            if ((distanceRaw & 0xFFFF) == 0xFFAA && intensity == 0xBB) {
                --intensity;
            }
            groups_.push_back({static_cast<std::uint8_t>(c),
                               static_cast<std::uint8_t>(azimuthRaw >> 8),
                               static_cast<std::uint8_t>(azimuthRaw),
                               static_cast<std::uint8_t>(distanceRaw >> 16),
                               static_cast<std::uint8_t>(distanceRaw >> 8),
                               static_cast<std::uint8_t>(distanceRaw), intensity});
        }
    }
}

void SensorSimulator::nextRevolution(std::vector<Payload>& out) {
    sink_ = &out;
    writer_.addMarker();
    for (const auto& group : groups_) {
        writer_.addRawGroup(group);
    }
    sink_ = nullptr;
}

void SensorSimulator::finish(std::vector<Payload>& out) {
    sink_ = &out;
    writer_.addMarker();
    writer_.flush();
    sink_ = nullptr;
}

std::string SensorSimulator::describe(double revolutionsPerSecond) const {
    char text[160];
    std::snprintf(text, sizeof text, "%zu points per frame, %d azimuths of %.2f degrees, %g Hz",
                  pointsPerRevolution(), azimuthsPerRevolution(), azimuthStep_ / 100.0,
                  revolutionsPerSecond);
    return text;
}

MuchLidarData SensorSimulator::revolutionFrame(const SyntheticScene& scene, int azimuthStep) {
    SensorSimulator simulator(scene, azimuthStep);
    std::vector<Payload> payloads;
    simulator.nextRevolution(payloads);
    simulator.finish(payloads);
    FrameCutter cutter;
    MuchLidarData frame;
    for (const auto& p : payloads) {
        cutter.feed(p.data(), [&](const MuchLidarData& f) { frame = f; });
    }
    return frame;
}
