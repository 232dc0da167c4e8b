#pragma once

#include "lidar/DataPacketWriter.h"

#include <vector>

// Builds payloads with a DataPacketWriter and collects them.
struct TestPackets {
    std::vector<DataPacketWriter::Payload> payloads;
    DataPacketWriter writer{[this](const DataPacketWriter::Payload& p) { payloads.push_back(p); }};

    TestPackets() = default;
    TestPackets(const TestPackets&) = delete;
    TestPackets& operator=(const TestPackets&) = delete;

    // A point whose fields encode its index, so frames can be checked by value.
    void point(int index) {
        writer.addPoint(static_cast<std::uint8_t>(index % 128),
                        static_cast<std::uint16_t>(index % 36000),
                        static_cast<std::uint32_t>(256 * (100 + index)),
                        static_cast<std::uint8_t>(index % 256));
    }
    void points(int first, int count) {
        for (int i = first; i < first + count; ++i) {
            point(i);
        }
    }
    void marker() { writer.addMarker(); }
    std::vector<DataPacketWriter::Payload>& finish() {
        writer.flush();
        return payloads;
    }
};

// The indices of the points of a frame built with TestPackets::point.
inline std::vector<int> indicesOf(const MuchLidarData& frame) {
    std::vector<int> indices;
    for (float d : frame.distances) {
        indices.push_back(static_cast<int>(d) - 100);
    }
    return indices;
}

inline std::vector<int> range(int first, int count) {
    std::vector<int> r;
    for (int i = first; i < first + count; ++i) {
        r.push_back(i);
    }
    return r;
}
