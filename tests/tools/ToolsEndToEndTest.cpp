#include "ToolRunner.h"
#include "device/DeviceState.h"

#include <QDateTime>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <pcap/pcap.h>

using namespace ToolRunner;

namespace {

constexpr int kStep = 100; // one-degree steps keep the runs small
const QString kStepText = "1";

QByteArray readFile(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(path);
    return file.readAll();
}

// A sensor-sim sending without end on a port, stopped like a user would.
class RunningSimulator {
public:
    explicit RunningSimulator(const QStringList& args) {
        start(process_, "sensor-sim", QStringList{"--quiet", "--step", kStepText} + args);
    }
    ~RunningSimulator() {
        process_.terminate();
        if (!process_.waitForFinished(30000)) {
            process_.kill();
            process_.waitForFinished();
        }
    }
    RunningSimulator(const RunningSimulator&) = delete;
    RunningSimulator& operator=(const RunningSimulator&) = delete;

    int stopAndExitCode() {
        process_.terminate();
        EXPECT_TRUE(process_.waitForFinished(30000));
        // A stop request ends the run normally, not by the signal.
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }

private:
    QProcess process_;
};

std::vector<MuchLidarData> framesOfCapture(const std::string& path, int& records) {
    char error[PCAP_ERRBUF_SIZE];
    pcap_t* in = pcap_open_offline(path.c_str(), error);
    EXPECT_NE(in, nullptr) << error;
    std::vector<MuchLidarData> frames;
    if (in == nullptr) {
        return frames;
    }
    FrameCutter cutter;
    pcap_pkthdr* header = nullptr;
    const u_char* data = nullptr;
    records = 0;
    while (pcap_next_ex(in, &header, &data) == 1) {
        ++records;
        EXPECT_EQ(header->caplen, 1248u);
        if (header->caplen == 1248) {
            cutter.feed(data + 42, [&](const MuchLidarData& f) { frames.push_back(f); });
        }
    }
    pcap_close(in);
    return frames;
}

} // namespace

TEST(LidarExportLive, WritesExactlyTheFramesTheSimulatorScanned) {
    const int port = freeUdpPort();
    RunningSimulator simulator({"--port", QString::number(port), "--rate", "20"});
    QTemporaryDir dir;
    const QString out = dir.path() + "/out.csv";
    const Result r = run("lidar-export", {"--listen", QString::number(port), "--frames", "3",
                                          "--timeout", "60", out});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(r.err.startsWith("lidar-export: wrote 3 frames")) << r.err.constData();
    // Every revolution of the static scene is the same, and none is lost on
    // loopback: the file is the in-process scan, byte for byte.
    EXPECT_TRUE(readFile(out) == expectedCsv(simulatedFrame(kStep), 3));
    EXPECT_EQ(simulator.stopAndExitCode(), 0);
}

TEST(LidarExportLive, AppliesChannelsAndAzimuthWindowAndWritesToStandardOutput) {
    const int port = freeUdpPort();
    RunningSimulator simulator({"--port", QString::number(port), "--rate", "20"});
    const Result r = run("lidar-export", {"--listen", QString::number(port), "--frames", "2",
                                          "--channels", "0-3,100", "--min-angle", "10",
                                          "--max-angle", "20", "--timeout", "60", "--quiet", "-"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
    CsvExportFilter filter;
    filter.channels.fill(false);
    for (int c : {0, 1, 2, 3, 100}) {
        filter.channels[c] = true;
    }
    filter.minAngle = 10;
    filter.maxAngle = 20;
    const QByteArray expected = expectedCsv(simulatedFrame(kStep), 2, filter);
    EXPECT_GT(expected.count('\n'), 2 * 40); // both window ends included
    EXPECT_TRUE(r.out == expected);
}

TEST(LidarExportLive, GivesUpAfterTheTimeoutWithoutASender) {
    QTemporaryDir dir;
    const Result r = run("lidar-export", {"--listen", QString::number(freeUdpPort()), "--frames",
                                          "2", "--timeout", "0.5", dir.path() + "/out.csv"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.count('\n'), 1);
    EXPECT_TRUE(r.err.contains("no complete frame within 0.5 s")) << r.err.constData();
    EXPECT_TRUE(r.err.contains("0 of 2 frames written")) << r.err.constData();
}

TEST(LidarExportLive, APortInUseIsTheReceiversBindError) {
    UdpSocket holder;
    ASSERT_TRUE(holder.bindAny(0));
    const QString port = QString::number(holder.localPort());
    QTemporaryDir dir;
    const Result r = run("lidar-export",
                         {"--listen", port, "--frames", "1", "--timeout", "10", dir.path() + "/o"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "lidar-export: Data Port:" + port.toUtf8() + " : Bind Error\n");
}

TEST(LidarExportLive, AnOutputThatCannotBeWrittenFailsBeforeListening) {
    const Result r = run("lidar-export", {"--listen", QString::number(freeUdpPort()), "--frames",
                                          "1", "/nonexistent-dir/out.csv"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.count('\n'), 1);
    EXPECT_TRUE(r.err.contains("/nonexistent-dir/out.csv")) << r.err.constData();
}

TEST(CommandLines, BadArgumentsExitWithCodeTwoAndOneLine) {
    const std::vector<std::pair<QString, QStringList>> cases = {
        {"lidar-export", {}},
        {"lidar-export", {"--listen", "2368", "out.csv"}},
        {"lidar-export", {"--listen", "2368", "--frames", "1", "--channels", "7-", "-"}},
        {"lidar-export", {"--listen", "2368", "--frames", "1", "--timeout", "-1", "-"}},
        {"lidar-export", {"--nonsense"}},
        {"sensor-sim", {"--step", "0.001"}},
        {"sensor-sim", {"--write-pcap", "x.pcap"}},
        {"sensor-sim", {"--port", "port"}},
        {"sensor-sim", {"stray"}},
    };
    for (const auto& [tool, args] : cases) {
        const Result r = run(tool, args);
        EXPECT_EQ(r.exitCode, 2) << qPrintable(tool + " " + args.join(' '));
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.constData();
        EXPECT_TRUE(r.err.startsWith((tool + ": ").toUtf8())) << r.err.constData();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.constData();
    }
}

TEST(SensorSim, AFrameCountEndsTheRunAfterThatManyFrames) {
    UdpSocket receiver;
    ASSERT_TRUE(receiver.bindAny(0));
    ASSERT_TRUE(receiver.setReceiveTimeout(100));
    QProcess simulator;
    start(simulator, "sensor-sim",
          {"--port", QString::number(receiver.localPort()), "--step", "5", "--rate", "50",
           "--frames", "3"});
    FrameCutter cutter;
    std::vector<MuchLidarData> frames;
    std::array<std::uint8_t, 1206> buffer{};
    int quietSpells = 0;
    // Receive until the simulator has ended and the socket has run dry.
    while (quietSpells < 3) {
        const auto got = receiver.receive(buffer.data(), buffer.size());
        if (got.status == UdpSocket::Status::Ok) {
            ASSERT_EQ(got.size, 1206u);
            cutter.feed(buffer.data(), [&](const MuchLidarData& f) { frames.push_back(f); });
        } else if (simulator.waitForFinished(0) || simulator.state() == QProcess::NotRunning) {
            ++quietSpells;
        }
    }
    ASSERT_EQ(simulator.state(), QProcess::NotRunning);
    EXPECT_EQ(simulator.exitCode(), 0);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[2], simulatedFrame(500));
    const QByteArray out = simulator.readAllStandardOutput();
    EXPECT_TRUE(out.contains("sensor-sim: sent 3 frames")) << out.constData();
}

TEST(SensorSim, SendsDeviceInfoPacketsToTheEquipmentPortUntilItsTimeIsUp) {
    UdpSocket equipment;
    ASSERT_TRUE(equipment.bindAny(0));
    ASSERT_TRUE(equipment.setReceiveTimeout(100));
    const int dataPort = freeUdpPort();
    QProcess simulator;
    start(simulator, "sensor-sim",
          {"--quiet", "--step", "10", "--port", QString::number(dataPort), "--equipment-port",
           QString::number(equipment.localPort()), "--motor", "stop", "--interval", "9",
           "--board-version", "2021.3.4-V3.2.17", "--seconds", "2"});
    std::vector<DeviceState> reports;
    std::array<std::uint8_t, 2048> buffer{};
    while (reports.size() < 2) {
        const auto got = equipment.receive(buffer.data(), buffer.size());
        if (got.status == UdpSocket::Status::Ok) {
            const ByteSpan packet(buffer.data(), got.size);
            ASSERT_TRUE(DeviceInfoPacket::isDeviceInfoPacket(buffer.data(), got.size));
            ASSERT_EQ(got.sourceAddress, 0x7F000001u);
            EXPECT_EQ(DeviceInfoPacket::mainBoardVersionText(packet), "2021.3.4-V3.2.17");
            reports.push_back(DeviceState::fromPacket(packet));
        } else {
            // Nothing waits: a simulator that has ended will send no more.
            ASSERT_FALSE(simulator.waitForFinished(0) || simulator.state() == QProcess::NotRunning)
                << "sensor-sim ended after " << reports.size() << " device packets";
        }
    }
    ASSERT_TRUE(simulator.state() == QProcess::NotRunning || simulator.waitForFinished(30000))
        << "--seconds did not end the run";
    EXPECT_EQ(simulator.exitCode(), 0) << simulator.readAllStandardError().constData();

    const DeviceState& first = reports[0];
    EXPECT_EQ(first.sensorIp, (AddressBytes{127, 0, 0, 1}));
    EXPECT_EQ(first.destIp, (AddressBytes{127, 0, 0, 1}));
    EXPECT_EQ(first.dataPort, dataPort);
    EXPECT_EQ(first.equipmentPort, equipment.localPort());
    EXPECT_EQ(first.motorRpm, 600);
    EXPECT_EQ(first.motorState, DeviceState::kMotorStopped);
    EXPECT_EQ(first.packetInterval, 9);
    // The clock runs in UTC.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    EXPECT_EQ(first.time.yearSince2000 + 2000, now.date().year());
    EXPECT_NE(reports[1].time, first.time);
}

TEST(SensorSim, WritesACaptureOfWholeFramesThatCaptureToolsRead) {
    QTemporaryDir dir;
    const QString path = dir.path() + "/sim.pcap";
    const Result r = run("sensor-sim", {"--write-pcap", path, "--frames", "2", "--step", "2"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    int records = 0;
    const auto frames = framesOfCapture(path.toStdString(), records);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], simulatedFrame(200));
    EXPECT_EQ(frames[1], frames[0]);
    EXPECT_EQ(readFile(path).size(), 24 + records * (16 + 1248));
}

TEST(SensorSim, CapturesAreReadableByTcpdump) {
    const QString tcpdump =
        QStandardPaths::findExecutable("tcpdump", {"/usr/sbin", "/usr/bin", "/sbin", "/bin"});
    if (tcpdump.isEmpty()) {
        GTEST_SKIP() << "tcpdump is not installed";
    }
    // tcpdump started as root changes its user and groups, which a user
    // namespace (as the test run's) refuses.
    QFile uidMap("/proc/self/uid_map");
    if (!uidMap.open(QIODevice::ReadOnly) || uidMap.readAll().simplified() != "0 0 4294967295") {
        GTEST_SKIP() << "tcpdump cannot run in a user namespace";
    }
    QTemporaryDir dir;
    const QString path = dir.path() + "/sim.pcap";
    ASSERT_EQ(run("sensor-sim", {"--write-pcap", path, "--frames", "1", "--step", "5"}).exitCode,
              0);
    int records = 0;
    ASSERT_EQ(framesOfCapture(path.toStdString(), records).size(), 1u);

    QProcess dump;
    dump.start(tcpdump, {"-nn", "-vv", "-r", path});
    ASSERT_TRUE(dump.waitForFinished(30000));
    EXPECT_EQ(dump.exitCode(), 0) << dump.readAllStandardError().constData();
    const QByteArray text = dump.readAllStandardOutput();
    EXPECT_EQ(text.count("192.168.1.200.2368 > 192.168.1.102.2368: [udp sum ok] UDP, length 1206"),
              records);
    EXPECT_EQ(text.count("proto UDP (17), length 1234)"), records);
}
