#include "capture/CaptureRecorder.h"
#include "LoopbackCapture.h"
#include "capture/CaptureFile.h"
#include "capture/CapturePacketReader.h"
#include "lidar/DataPacket.h"
#include "support/QtWait.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <array>
#include <cstring>
#include <pcap/pcap.h>

namespace {

using Payload = std::array<std::uint8_t, 1206>;

Payload dataPayload(std::uint8_t fill) {
    Payload p;
    p.fill(fill);
    return p;
}

// The recorder on loopback, recording one port of this machine.
class Recording {
public:
    Recording(std::uint16_t port, const QString& path) {
        QObject::connect(
            &recorder, &CaptureRecorder::SendError, &recorder,
            [this](const QString& text) { errors << text; }, Qt::DirectConnection);
        recorder.adapter = "lo";
        recorder.captureFilter = "port " + std::to_string(port);
        recorder.recordPath = QFile::encodeName(path);
        recorder.start();
    }
    // Whether the file is open and the capture with it.
    bool waitUntilRecording() {
        return waitUntil([this] { return recorder.fileCreated() || recorder.isFinished(); },
                         10000) &&
               recorder.fileCreated();
    }
    bool waitForPackets(std::uint64_t n) {
        return waitUntil([&] { return recorder.packetsWritten() >= n; }, 20000);
    }
    void stop() {
        recorder.stop = true;
        recorder.wait();
    }

    CaptureRecorder recorder;
    QStringList errors;
};

struct ReadBack {
    bool opened = false;
    int linkType = -1;
    int snapshotLength = 0;
    std::vector<std::vector<std::uint8_t>> frames;
};

ReadBack readWithLibpcap(const QString& path) {
    ReadBack r;
    char error[PCAP_ERRBUF_SIZE] = {};
    pcap_t* handle = pcap_open_offline(QFile::encodeName(path).constData(), error);
    if (handle == nullptr) {
        ADD_FAILURE() << error;
        return r;
    }
    r.opened = true;
    r.linkType = pcap_datalink(handle);
    r.snapshotLength = pcap_snapshot(handle);
    pcap_pkthdr* header = nullptr;
    const u_char* data = nullptr;
    int got = 0;
    while ((got = pcap_next_ex(handle, &header, &data)) == 1) {
        r.frames.emplace_back(data, data + header->caplen);
    }
    EXPECT_EQ(got, PCAP_ERROR_BREAK) << "the file ends inside a record";
    pcap_close(handle);
    return r;
}

std::vector<std::vector<std::uint8_t>> pointGroupsOf(const CaptureFile& capture) {
    std::vector<std::vector<std::uint8_t>> groups;
    CapturePacketReader reader(capture);
    for (int i = 0; i < capture.capturePacketCount(); ++i) {
        const std::uint8_t* p = reader.packet(i);
        groups.emplace_back(p, p + DataPacket::kGroupBytes);
    }
    return groups;
}

QString toolPath(const QString& name) {
    return qEnvironmentVariable("VANTOR_BIN_DIR") + "/" + name;
}

} // namespace

TEST(CaptureRecorder, RecordsTheDataPortOnlyIntoAFileEveryReaderTakes) {
    SKIP_WITHOUT_CAPTURE_PERMISSION();
    UdpSocket data;
    UdpSocket device;
    ASSERT_TRUE(data.bindAny(0) && device.bindAny(0));
    QTemporaryDir dir;
    const QString path = dir.filePath("three.pcap");
    Recording recording(data.localPort(), path);
    ASSERT_TRUE(recording.waitUntilRecording()) << qPrintable(recording.errors.join('\n'));

    // Device traffic first: had it been recorded, it would come before the data.
    UdpSocket sender;
    Payload info{};
    info[0] = 0xA5;
    info[1] = 0xFF;
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(sender.sendTo("127.0.0.1", device.localPort(), info.data(), info.size()));
    }
    for (std::uint8_t fill : {1, 2, 3}) {
        const Payload p = dataPayload(fill);
        ASSERT_TRUE(sender.sendTo("127.0.0.1", data.localPort(), p.data(), p.size()));
    }
    ASSERT_TRUE(recording.waitForPackets(3));
    recording.stop();
    EXPECT_TRUE(recording.errors.isEmpty()) << qPrintable(recording.errors.join('\n'));
    EXPECT_EQ(recording.recorder.packetsWritten(), 3u);
    EXPECT_EQ(recording.recorder.bytesWritten(), 24u + 3 * (16 + 1248));
    EXPECT_EQ(QFile(path).size(), 24 + 3 * (16 + 1248));

    const ReadBack r = readWithLibpcap(path);
    EXPECT_EQ(r.linkType, DLT_EN10MB);
    EXPECT_EQ(r.snapshotLength, 65535);
    ASSERT_EQ(r.frames.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        ASSERT_EQ(r.frames[i].size(), 1248u);
        const Payload expected = dataPayload(static_cast<std::uint8_t>(i + 1));
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), r.frames[i].begin() + 42));
    }

    QString error;
    const auto capture = CaptureFile::open(path, &error);
    ASSERT_TRUE(capture) << qPrintable(error);
    EXPECT_EQ(capture->capturePacketCount(), 3);

    const QString tcpdump =
        QStandardPaths::findExecutable("tcpdump", {"/usr/sbin", "/usr/bin", "/sbin", "/bin"});
    if (tcpdump.isEmpty()) {
        GTEST_SKIP() << "tcpdump is not installed, so it did not read the file back";
    }
    QProcess reader;
    reader.start(tcpdump, {"-Z", "root", "-n", "-r", path});
    ASSERT_TRUE(reader.waitForFinished(30000));
    EXPECT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().constData();
    const QByteArray lines = reader.readAllStandardOutput();
    EXPECT_EQ(lines.count('\n'), 3) << lines.constData();
    EXPECT_EQ(
        lines.count(QByteArray(".") + QByteArray::number(data.localPort()) + ": UDP, length 1206"),
        3)
        << lines.constData();
}

TEST(CaptureRecorder, StopsWithoutTrafficLeavingAValidEmptyFile) {
    SKIP_WITHOUT_CAPTURE_PERMISSION();
    UdpSocket quiet;
    ASSERT_TRUE(quiet.bindAny(0));
    QTemporaryDir dir;
    const QString path = dir.filePath("empty.pcap");
    Recording recording(quiet.localPort(), path);
    ASSERT_TRUE(recording.waitUntilRecording()) << qPrintable(recording.errors.join('\n'));

    const auto asked = std::chrono::steady_clock::now();
    recording.recorder.stop = true;
    ASSERT_TRUE(recording.recorder.wait(30000)) << "the recorder did not notice the stop";
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - asked);
    RecordProperty("stop_ms", static_cast<int>(took.count()));
    std::printf("the recorder stopped %lld ms after it was asked\n",
                static_cast<long long>(took.count()));

    EXPECT_EQ(QFile(path).size(), 24);
    const ReadBack r = readWithLibpcap(path);
    EXPECT_TRUE(r.opened);
    EXPECT_TRUE(r.frames.empty());
}

TEST(CaptureRecorder, ARecordingOfTheSimulatorPlaysLikeItsOwnCapture) {
    SKIP_WITHOUT_CAPTURE_PERMISSION();
    UdpSocket data;
    UdpSocket device;
    ASSERT_TRUE(data.bindAny(0) && device.bindAny(0));
    QTemporaryDir dir;
    const QStringList scene = {"--quiet", "--step", "2", "--frames", "3"};
    const QString own = dir.filePath("own.pcap");
    ASSERT_EQ(QProcess::execute(toolPath("sensor-sim"), scene + QStringList{"--write-pcap", own}),
              0);
    QString error;
    const auto expected = CaptureFile::open(own, &error);
    ASSERT_TRUE(expected) << qPrintable(error);

    const QString recorded = dir.filePath("recorded.pcap");
    Recording recording(data.localPort(), recorded);
    ASSERT_TRUE(recording.waitUntilRecording()) << qPrintable(recording.errors.join('\n'));
    const int sent = QProcess::execute(
        toolPath("sensor-sim"),
        scene + QStringList{"--rate", "20", "--port", QString::number(data.localPort()),
                            "--equipment-port", QString::number(device.localPort())});
    ASSERT_EQ(sent, 0);
    ASSERT_TRUE(recording.waitForPackets(expected->recordCount()));
    recording.stop();
    EXPECT_TRUE(recording.errors.isEmpty()) << qPrintable(recording.errors.join('\n'));

    const auto played = CaptureFile::open(recorded, &error);
    ASSERT_TRUE(played) << qPrintable(error);
    EXPECT_EQ(played->recordCount(), expected->recordCount());
    EXPECT_EQ(played->captureFrameCount(), expected->captureFrameCount());
    EXPECT_TRUE(pointGroupsOf(*played) == pointGroupsOf(*expected));
}
