#pragma once

#include "lidar/DataPacketWriter.h"
#include "lidar/MuchLidarData.h"
#include "tools/sim/SyntheticScene.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Scans a scene the way the sensor does: for every azimuth step, all 128
// channels, and packs the hits into 1206-byte data payloads with one frame
// marker at the start of each revolution. Rays follow exactly the directions
// the viewer's geometry decodes, so decoded points land on the surfaces hit.
// The scene is static, so one scan serves every revolution.
class SensorSimulator {
public:
    using Payload = DataPacketWriter::Payload;

    // `azimuthStep` in units of 0.01 degree, 1..36000.
    SensorSimulator(const SyntheticScene& scene, int azimuthStep);

    int azimuthsPerRevolution() const { return azimuths_; }
    std::size_t pointsPerRevolution() const { return groups_.size(); }
    // "<points> points per frame, <n> azimuths of <step> degrees, <rate> Hz"
    std::string describe(double revolutionsPerSecond) const;

    // Appends the payloads completed during the next revolution: its marker,
    // then its points. The last, partly filled payload carries over into the
    // next revolution, so markers fall anywhere inside a payload.
    void nextRevolution(std::vector<Payload>& out);
    // Closes the last revolution with a marker and hands out what is left,
    // so that a receiver can cut the last frame too.
    void finish(std::vector<Payload>& out);

    // The frame a receiver cuts from one revolution of `scene`.
    static MuchLidarData revolutionFrame(const SyntheticScene& scene, int azimuthStep);

private:
    std::vector<std::array<std::uint8_t, DataPacket::kGroupSize>> groups_;
    int azimuthStep_;
    int azimuths_ = 0;
    std::vector<Payload>* sink_ = nullptr;
    DataPacketWriter writer_;
};
