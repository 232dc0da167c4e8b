#pragma once

#include "lidar/DataPacketWriter.h"
#include "net/UdpSocket.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

// The live benchmarks' sensor: frames of 230,400 points (128 channels x
// 1800 azimuths) sent to a port on 127.0.0.1 at a fixed rate.
namespace SceneSender {

// A level ground 1.8 m below the sensor and a round wall 30 m away.
inline std::vector<DataPacketWriter::Payload> sceneFrame() {
    std::vector<DataPacketWriter::Payload> out;
    DataPacketWriter writer([&](const DataPacketWriter::Payload& p) { out.push_back(p); });
    for (int step = 0; step < 1800; ++step) {
        const auto azimuthRaw = static_cast<std::uint16_t>(step * 20);
        for (int c = 0; c < 128; ++c) {
            const double elevation = (-17 + 0.25 * c) * M_PI / 180;
            double metres = 30 / std::cos(elevation);
            if (elevation < 0) {
                metres = std::min(metres, 1.8 / std::sin(-elevation));
            }
            writer.addPoint(static_cast<std::uint8_t>(c), azimuthRaw,
                            static_cast<std::uint32_t>(metres * 100 * 256),
                            static_cast<std::uint8_t>((step / 7 + c) % 256));
        }
    }
    writer.addMarker();
    writer.flush();
    return out;
}

inline int freePort() {
    UdpSocket probe;
    probe.bindAny(0);
    return probe.localPort();
}

// Sends `framesPerSecond` frames a second, each in ten even bursts, until
// `stop` is set.
inline void send(int port, int framesPerSecond, const std::atomic<bool>& stop) {
    const auto frame = sceneFrame();
    UdpSocket out;
    out.sendTo("127.0.0.1", static_cast<std::uint16_t>(port), frame.back().data(),
               frame.back().size()); // the opening marker
    const auto burst = std::chrono::microseconds(100000 / framesPerSecond);
    auto next = std::chrono::steady_clock::now();
    while (!stop) {
        for (std::size_t part = 0; part < 10 && !stop; ++part) {
            for (std::size_t i = part * frame.size() / 10; i < (part + 1) * frame.size() / 10;
                 ++i) {
                out.sendTo("127.0.0.1", static_cast<std::uint16_t>(port), frame[i].data(),
                           frame[i].size());
            }
            next += burst;
            std::this_thread::sleep_until(next);
        }
    }
}

} // namespace SceneSender
