// Datagrams of many sensors, interleaved at random, cut into frames per
// sensor: no frame mixes sensors, the sensors kept stay within their bound,
// and every sensor's frames are exactly those its datagrams alone give.
//
// The input is a channel-filter byte, then records: a source byte (one of
// 24 senders, more than the bound), a group count, and that many groups of
// seven bytes; a group starting FE stands for a frame marker.

#include "FuzzCheck.h"
#include "lidar/SensorDemux.h"

#include <array>
#include <cstring>
#include <map>
#include <vector>

namespace {

constexpr int kSenders = 24;

SensorId senderOf(std::uint8_t byte) {
    const int s = byte % kSenders;
    // Two ports on some addresses: the port tells those sensors apart.
    return {0x0A000000u + static_cast<std::uint32_t>(s % 12),
            static_cast<std::uint16_t>(2368 + s / 12)};
}

struct Datagram {
    SensorId source;
    std::array<std::uint8_t, DataPacket::kSize> payload;
};

std::vector<Datagram> datagramsOf(const std::uint8_t* data, std::size_t size) {
    std::vector<Datagram> datagrams;
    std::size_t at = 0;
    while (at < size) {
        Datagram d;
        d.source = senderOf(data[at++]);
        d.payload.fill(0xFF);
        const std::size_t groups = at < size ? data[at++] % (DataPacket::kGroupCount + 1) : 0;
        for (std::size_t g = 0; g < groups; ++g) {
            std::uint8_t* group = d.payload.data() + g * DataPacket::kGroupSize;
            for (std::size_t b = 0; b < DataPacket::kGroupSize && at < size; ++b) {
                group[b] = data[at++];
            }
            if (group[0] == 0xFE) {
                group[0] = 0xFF;
                group[1] = 0xAA;
                group[2] = 0xBB;
            }
        }
        datagrams.push_back(d);
    }
    return datagrams;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // 0 keeps every channel; n keeps the channels that n divides.
    SensorDemux::ChannelFlags wanted{};
    for (std::size_t c = 0; c < wanted.size(); ++c) {
        wanted[c] = data[0] == 0 || c % data[0] == 0;
    }
    const std::vector<Datagram> datagrams = datagramsOf(data + 1, size - 1);

    SensorDemux demux;
    demux.setChannelFilter(wanted);
    std::map<SensorId, std::vector<MuchLidarData>> together;
    std::vector<SensorId> firstHeard;
    std::uint64_t refused = 0;
    for (const Datagram& d : datagrams) {
        bool known = false;
        for (const SensorId& s : firstHeard) {
            known = known || s == d.source;
        }
        const bool room = known || firstHeard.size() < SensorTable::kMaxSensors;
        if (!known && room) {
            firstHeard.push_back(d.source);
        }
        refused += room ? 0 : 1;
        const int sensor =
            demux.feed(d.source, d.payload.data(), [&](int s, const MuchLidarData& f) {
                // Frames name the sensor they were cut for.
                FUZZ_CHECK(f.sensor == demux.sensors()[static_cast<std::size_t>(s)]);
                FUZZ_CHECK(f.sensor == d.source);
                together[f.sensor].push_back(f);
            });
        FUZZ_CHECK((sensor >= 0) == room);
        FUZZ_CHECK(demux.sensorCount() <= SensorTable::kMaxSensors);
    }
    FUZZ_CHECK(demux.sensors() == firstHeard);
    FUZZ_CHECK(demux.refused() == refused);

    // Each sensor's datagrams alone, through a cutter of its own.
    for (const SensorId& sensor : firstHeard) {
        FrameCutter cutter;
        cutter.setChannelFilter(wanted);
        std::vector<MuchLidarData> alone;
        for (const Datagram& d : datagrams) {
            if (d.source == sensor) {
                cutter.feed(d.payload.data(), [&](const MuchLidarData& f) { alone.push_back(f); });
            }
        }
        FUZZ_CHECK(together[sensor] == alone);
        const MuchLidarData& working = demux.cutter(demux.find(sensor)).workingFrame();
        FUZZ_CHECK(working == cutter.workingFrame());
    }
    return 0;
}
