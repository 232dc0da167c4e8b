#pragma once

#include "WindowFixture.h"
#include "support/TestCaptureWriter.h"

#include <QString>
#include <algorithm>

// A capture of two sensors on one network: sensor A (10.0.0.2) sends
// `framesA` frames of `pointsA` ring points, sensor B (10.0.0.3) `framesB`
// frames of `pointsB`, each datagram of B after one of A's.
inline void writeTwoSensorCapture(const QString& path, int framesA, int pointsA, int framesB,
                                  int pointsB) {
    const auto pa = payloadsOf(std::vector<std::vector<RingPoint>>(framesA, ring(pointsA)));
    const auto pb = payloadsOf(std::vector<std::vector<RingPoint>>(framesB, ring(pointsB)));
    TestCaptureWriter writer(path.toStdString(), {});
    for (std::size_t i = 0; i < std::max(pa.size(), pb.size()); ++i) {
        if (i < pa.size()) {
            writer.writePayload(pa[i].data(), {0x0A000002, 2368});
        }
        if (i < pb.size()) {
            writer.writePayload(pb[i].data(), {0x0A000003, 2368});
        }
    }
    writer.close();
    ASSERT_TRUE(writer.ok());
}
