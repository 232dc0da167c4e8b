#pragma once

#include "capture/CaptureFile.h"
#include "capture/CapturePacketReader.h"
#include "support/TestCaptureWriter.h"
#include "support/TestPackets.h"

#include <QString>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

// The data payloads of one sensor of a capture (the first heard by
// default), copied out.
inline std::vector<DataPacketWriter::Payload> payloadsOf(const CaptureFile& capture,
                                                         int sensor = 0) {
    std::vector<DataPacketWriter::Payload> result;
    CapturePacketReader reader(capture, sensor);
    for (int i = 0; i < capture.sensor(sensor).packetCount(); ++i) {
        const std::uint8_t* p = reader.packet(i);
        EXPECT_NE(p, nullptr) << i;
        if (!p) {
            break;
        }
        DataPacketWriter::Payload copy;
        std::memcpy(copy.data(), p, copy.size());
        result.push_back(copy);
    }
    return result;
}

// Payloads built point by point, with the packet index of every marker and
// the points of every frame a player emits after a (re)start.
struct SampleCapture {
    TestPackets packets;
    std::vector<int> markerPackets;
    std::vector<std::vector<int>> frames;
    int nextPoint = 0;

    // Points, then a marker that closes the frame they belong to.
    void frame(int points) {
        packets.points(nextPoint, points);
        frames.push_back(range(nextPoint, points));
        nextPoint += points;
        marker();
    }
    void marker() {
        markerPackets.push_back(static_cast<int>(packets.payloads.size()));
        packets.marker();
    }
    void tail(int points) {
        packets.points(nextPoint, points);
        nextPoint += points;
    }
    const std::vector<DataPacketWriter::Payload>& finish() { return packets.finish(); }

    // Six frames: frame 0 spans packets 0..10 (the first marker is in packet
    // 10), markers 2, 3 and 4 share packet 11, and 20 points follow the last
    // marker.
    static std::unique_ptr<SampleCapture> standard() {
        auto s = std::make_unique<SampleCapture>();
        for (int points : {1715, 200, 50, 3, 400, 30}) {
            s->frame(points);
        }
        s->tail(20);
        s->finish();
        return s;
    }
};

inline void writeCapture(const QString& path,
                         const std::vector<DataPacketWriter::Payload>& payloads,
                         const TestCaptureWriter::Options& options = {}) {
    TestCaptureWriter writer(path.toStdString(), options);
    for (const auto& p : payloads) {
        writer.writePayload(p.data());
    }
    writer.close();
    ASSERT_TRUE(writer.ok()) << path.toStdString();
}

inline std::shared_ptr<const CaptureFile> openCapture(const QString& path) {
    QString error;
    auto capture = CaptureFile::open(path, &error);
    EXPECT_TRUE(capture) << error.toStdString();
    return capture;
}
