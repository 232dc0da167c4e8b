#include "SampleCapture.h"
#include "capture/CapturePacketReader.h"
#include "capture/ReadLiveOffData.h"
#include "support/QtWait.h"

#include <QObject>

namespace {

using Source = TestCaptureWriter::Source;

const Source kA{0x0A000002, 2368}; // 10.0.0.2
const Source kB{0x0A000003, 2368}; // 10.0.0.3

SensorId idOf(Source s) {
    return {s.address, s.port};
}

// Two sensors' streams interleaved, B heard first, with single datagrams
// from 20 forged sources after the first few.
class TwoSensorCapture : public ::testing::Test {
protected:
    void SetUp() override {
        for (int points : {700, 400, 900}) {
            a.frame(points);
        }
        a.tail(5);
        a.finish();
        for (int points : {100, 250, 60, 300, 80, 120}) {
            b.frame(points);
        }
        b.finish();
        TestCaptureWriter writer(path().toStdString(), {});
        const auto& pa = a.packets.payloads;
        const auto& pb = b.packets.payloads;
        for (std::size_t i = 0; i < std::max(pa.size(), pb.size()); ++i) {
            if (i < pb.size()) {
                writer.writePayload(pb[i].data(), kB);
            }
            if (i < pa.size()) {
                writer.writePayload(pa[i].data(), kA);
            }
            if (i == 2) {
                for (std::uint32_t s = 1; s <= 20; ++s) {
                    writer.writePayload(pa[0].data(), {0x7F000100 + s, 9});
                }
            }
        }
        writer.close();
        ASSERT_TRUE(writer.ok());
    }
    QString path() const { return dir.filePath("two.pcap"); }

    QTemporaryDir dir;
    SampleCapture a;
    SampleCapture b;
};

} // namespace

TEST_F(TwoSensorCapture, TheIndexKeepsEachSensorsPacketsAndMarkers) {
    const auto capture = openCapture(path());
    ASSERT_TRUE(capture);
    // B, A and 14 of the forged sources; 6 of them are left out.
    ASSERT_EQ(capture->sensorCount(), SensorTable::kMaxSensors);
    EXPECT_EQ(capture->sensorBoundDrops(), 6u);
    const CaptureSensor& sb = capture->sensor(0);
    const CaptureSensor& sa = capture->sensor(1);
    EXPECT_EQ(sb.id, idOf(kB));
    EXPECT_EQ(sa.id, idOf(kA));
    EXPECT_EQ(capture->sensor(2).id.text(), "127.0.1.1");
    EXPECT_EQ(capture->sensor(2).packetCount(), 1);

    EXPECT_EQ(payloadsOf(*capture, 1), a.packets.payloads);
    EXPECT_EQ(payloadsOf(*capture, 0), b.packets.payloads);
    EXPECT_EQ(sa.frameStartPackets,
              std::vector<std::int32_t>(a.markerPackets.begin(), a.markerPackets.end()));
    EXPECT_EQ(sb.frameStartPackets,
              std::vector<std::int32_t>(b.markerPackets.begin(), b.markerPackets.end()));
    EXPECT_EQ(sa.frameCount(), 3);
    EXPECT_EQ(sb.frameCount(), 6);
    // What a single-sensor reader sees: the first sensor.
    EXPECT_EQ(capture->captureFrameCount(), 6);
    EXPECT_EQ(capture->capturePacketCount(), sb.packetCount());
    EXPECT_EQ(capture->dataPacketCount(),
              a.packets.payloads.size() + b.packets.payloads.size() + 14);
}

TEST_F(TwoSensorCapture, ThePlayerPlaysTheChosenSensorsFramesOnly) {
    ReadLiveOffData player;
    QObject context;
    std::vector<MuchLidarData> frames;
    std::vector<int> numbers;
    QObject::connect(&player, &ReadLiveOffData::SendData, &context,
                     [&](const MuchLidarData& f) { frames.push_back(f); });
    QObject::connect(&player, &ReadLiveOffData::SendFrameNumber, &context,
                     [&](int n) { numbers.push_back(n); });
    player.setCapture(openCapture(path()), 1);
    EXPECT_EQ(player.sensorPlayed(), 1);
    player.playback.speedIndex = 2;
    // From the last frame of A to the stop point.
    player.showFrame(2, ReadLiveOffData::AfterFrame::StopPoint);
    player.start();
    ASSERT_TRUE(waitUntil([&] { return frames.size() == 1; }, 30000));
    EXPECT_EQ(numbers, std::vector<int>{2});
    EXPECT_EQ(indicesOf(frames[0]), a.frames[2]);
    EXPECT_EQ(frames[0].sensor, idOf(kA));

    // Played from the start: A's frames, each whole.
    player.releaseGate();
    ASSERT_TRUE(waitUntil([&] { return frames.size() == 4; }, 30000));
    for (std::size_t f = 1; f < 4; ++f) {
        EXPECT_EQ(indicesOf(frames[f]), a.frames[f - 1]) << f;
        EXPECT_EQ(frames[f].sensor, idOf(kA));
    }
    player.stopAndWait();
}
