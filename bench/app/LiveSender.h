#pragma once

#include "lidar/DataPacketWriter.h"
#include "net/UdpSocket.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

// Streams frames of a synthetic scene to a port on 127.0.0.1 from a thread
// of its own, for the benchmarks that need live load: a level ground 1.8 m
// below the sensor and a round wall 30 m away, 128 channels per azimuth.
class LiveSender {
public:
    // A UDP port on loopback that is free now.
    static int freePort() {
        UdpSocket probe;
        probe.bindAny(0);
        return probe.localPort();
    }

    // The payloads of one revolution of `azimuths` even steps, closed by a
    // marker; the last payload holds that marker.
    static std::vector<DataPacketWriter::Payload> sceneFrame(int azimuths) {
        std::vector<DataPacketWriter::Payload> out;
        DataPacketWriter writer([&](const DataPacketWriter::Payload& p) { out.push_back(p); });
        for (int step = 0; step < azimuths; ++step) {
            const auto azimuthRaw = static_cast<std::uint16_t>(step * 36000 / azimuths);
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

    // Sends `pointsPerFrame` points (rounded to whole azimuths) per frame,
    // `rateHz` frames per second, each frame in ten even bursts.
    LiveSender(int port, int pointsPerFrame, int rateHz)
        : frame_(sceneFrame(std::max(pointsPerFrame / 128, 1))), port_(port),
          period_(std::chrono::microseconds(1000000 / rateHz)), thread_([this] { run(); }) {}
    ~LiveSender() {
        stop_ = true;
        thread_.join();
    }
    LiveSender(const LiveSender&) = delete;
    LiveSender& operator=(const LiveSender&) = delete;

private:
    void run() {
        UdpSocket out;
        const auto port = static_cast<std::uint16_t>(port_);
        out.sendTo("127.0.0.1", port, frame_.back().data(), frame_.back().size());
        auto next = std::chrono::steady_clock::now();
        while (!stop_) {
            for (std::size_t part = 0; part < 10 && !stop_; ++part) {
                for (std::size_t i = part * frame_.size() / 10; i < (part + 1) * frame_.size() / 10;
                     ++i) {
                    out.sendTo("127.0.0.1", port, frame_[i].data(), frame_[i].size());
                }
                next += period_ / 10;
                std::this_thread::sleep_until(next);
            }
        }
    }

    const std::vector<DataPacketWriter::Payload> frame_;
    const int port_;
    const std::chrono::microseconds period_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
