// Two simulated sensors on one network, at different rates and steps: each
// sensor's export from a capture holding both, or received live on one
// port, is what that sensor alone gives, byte for byte.

#include "MergedCapture.h"
#include "ToolRunner.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

using namespace ToolRunner;

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(path);
    return file.readAll();
}

// A at 10 Hz and 1-degree steps, B at 20 Hz and 0.4-degree steps: the same
// time, twice B's frames.
const QStringList kSensorA = {"--source-ip", "10.0.0.2", "--step", "1", "--frames", "2"};
const QStringList kSensorB = {"--source-ip", "10.0.0.3", "--rate",   "20",
                              "--step",      "0.4",      "--frames", "4"};

class TwoSensorCaptures : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new QTemporaryDir;
        for (const auto& [name, args] : {std::pair{"a.pcap", kSensorA}, {"b.pcap", kSensorB}}) {
            const Result r =
                run("sensor-sim", QStringList{"--quiet", "--write-pcap", path(name)} + args);
            ASSERT_EQ(r.exitCode, 0) << r.err.constData();
        }
        // Taken at once, and each alone as in the capture of both.
        mergeCaptures({path("a.pcap"), path("b.pcap")}, path("ab.pcap"));
        const std::int64_t start = captureStart(path("a.pcap"));
        mergeCaptures({path("b.pcap")}, path("b-alone.pcap"), start);
        mergeCaptures({path("a.pcap")}, path("a-alone.pcap"), start);
    }
    static void TearDownTestSuite() { delete dir; }
    static QString path(const QString& name) { return dir->filePath(name); }

    static Result exportOf(const QStringList& args) {
        const Result r = run("lidar-export", args);
        EXPECT_EQ(r.exitCode, 0) << qPrintable(args.join(' ')) << ": " << r.err.constData();
        return r;
    }

    static QTemporaryDir* dir;
};
QTemporaryDir* TwoSensorCaptures::dir = nullptr;

} // namespace

TEST_F(TwoSensorCaptures, EachSensorGetsItsOwnFileAsItsCaptureAloneGivesIt) {
    exportOf({path("a-alone.pcap"), path("a.csv")});
    exportOf({path("b-alone.pcap"), path("b.csv")});
    const Result r = exportOf({path("ab.pcap"), path("ab.csv")});
    EXPECT_FALSE(QFile::exists(path("ab.csv")));
    const QByteArray a = readFile(path("ab_10.0.0.2.csv"));
    const QByteArray b = readFile(path("ab_10.0.0.3.csv"));
    EXPECT_TRUE(a == readFile(path("a.csv")));
    EXPECT_TRUE(b == readFile(path("b.csv")));
    // Every frame of each is the simulator's own scan.
    EXPECT_TRUE(a == expectedCsv(simulatedFrame(100), 2));
    EXPECT_TRUE(b == expectedCsv(simulatedFrame(40), 4));
    const QString points = QString::number(simulatedFrame(100).size() * 2);
    EXPECT_EQ(QString(r.err), QStringLiteral("lidar-export: wrote 2 frames, %1 points, of "
                                             "10.0.0.2 to %2; 4 frames, %3 points, of 10.0.0.3 "
                                             "to %4\n")
                                  .arg(points, path("ab_10.0.0.2.csv"))
                                  .arg(simulatedFrame(40).size() * 4)
                                  .arg(path("ab_10.0.0.3.csv")));

    // A skip and a count apply to each sensor.
    exportOf({"--skip", "1", "--frames", "1", path("ab.pcap"), path("one.csv")});
    EXPECT_TRUE(readFile(path("one_10.0.0.2.csv")) == expectedCsv(simulatedFrame(100), 1));
    EXPECT_TRUE(readFile(path("one_10.0.0.3.csv")) == expectedCsv(simulatedFrame(40), 1));

    const Result listed = exportOf({"--list-sensors", path("ab.pcap")});
    const Result listedA = exportOf({"--list-sensors", path("a-alone.pcap")});
    const Result listedB = exportOf({"--list-sensors", path("b-alone.pcap")});
    EXPECT_TRUE(listedB.out.startsWith("10.0.0.3:2368  ")) << listedB.out.constData();
    EXPECT_TRUE(listedB.out.endsWith("  4 frames\n")) << listedB.out.constData();
    EXPECT_EQ(listed.out, listedA.out + listedB.out);
}

TEST_F(TwoSensorCaptures, SourceExportsOneSensorExactlyAsItsCaptureAlone) {
    for (const QString source : {"10.0.0.3", "10.0.0.3:2368"}) {
        SCOPED_TRACE(source.toStdString());
        exportOf({"--format", "mcap", path("b-alone.pcap"), path("b.mcap")});
        const Result r =
            exportOf({"--format", "mcap", "--source", source, path("ab.pcap"), path("ab.mcap")});
        EXPECT_TRUE(r.err.startsWith("lidar-export: wrote 4 frames, ")) << r.err.constData();
        EXPECT_TRUE(r.err.contains(" of 10.0.0.3 to ")) << r.err.constData();
        EXPECT_TRUE(readFile(path("ab.mcap")) == readFile(path("b.mcap")));
    }
    const Result none = run("lidar-export", {"--source", "10.0.0.9", path("ab.pcap"), "-"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.err, "lidar-export: " + path("ab.pcap").toUtf8() +
                            ": no sensor sends from 10.0.0.9; the sensors heard: 10.0.0.2, "
                            "10.0.0.3\n");
    // Standard output takes one sensor.
    const Result both = run("lidar-export", {path("ab.pcap"), "-"});
    EXPECT_EQ(both.exitCode, 1);
    EXPECT_TRUE(both.err.contains("--source")) << both.err.constData();
}

TEST_F(TwoSensorCaptures, PerFrameFilesCarryTheSensorBeforeTheirNumber) {
    exportOf({"--format", "pcd", path("b-alone.pcap"), path("alone.pcd")});
    exportOf({"--format", "pcd", path("ab.pcap"), path("both.pcd")});
    QStringList files = QDir(dir->path()).entryList({"both*"}, QDir::Files, QDir::Name);
    QStringList expected;
    for (int n = 1; n <= 2; ++n) {
        expected << QStringLiteral("both_10.0.0.2_%1.pcd").arg(n, 6, 10, QLatin1Char('0'));
    }
    for (int n = 1; n <= 4; ++n) {
        expected << QStringLiteral("both_10.0.0.3_%1.pcd").arg(n, 6, 10, QLatin1Char('0'));
    }
    EXPECT_EQ(files, expected);
    EXPECT_TRUE(readFile(path("both_10.0.0.3_000004.pcd")) == readFile(path("alone_000004.pcd")));
}

TEST(LiveSensors, EachSensorOnOnePortIsExportedAsItSendsAlone) {
    const int port = freeUdpPort();
    // Both send before the export listens, so both are heard at its first frame.
    std::vector<std::unique_ptr<QProcess>> sensors;
    for (const QStringList& args :
         {QStringList{"--source-ip", "127.0.0.2", "--step", "1"},
          QStringList{"--source-ip", "127.0.0.3", "--rate", "20", "--step", "0.4"}}) {
        sensors.push_back(std::make_unique<QProcess>());
        start(*sensors.back(), "sensor-sim", QStringList{"--port", QString::number(port)} + args);
        // Its first line says it is sending.
        ASSERT_TRUE(sensors.back()->waitForReadyRead(30000));
    }
    QTemporaryDir dir;
    const Result r = run("lidar-export", {"--listen", QString::number(port), "--frames", "3",
                                          "--timeout", "60", dir.filePath("live.csv")});
    for (auto& sensor : sensors) {
        sensor->terminate();
        EXPECT_TRUE(sensor->waitForFinished(30000));
    }
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(readFile(dir.filePath("live_127.0.0.2.csv")) ==
                expectedCsv(simulatedFrame(100), 3));
    EXPECT_TRUE(readFile(dir.filePath("live_127.0.0.3.csv")) == expectedCsv(simulatedFrame(40), 3));
    EXPECT_TRUE(r.err.contains("3 frames, ")) << r.err.constData();
}

TEST(LiveSensors, SourcesBeyondTheBoundAreListedAsDropped) {
    const int port = freeUdpPort();
    QProcess lister;
    start(lister, "lidar-export",
          {"--list-sensors", "--listen", QString::number(port), "--timeout", "3"});
    // One datagram from each of 20 loopback addresses, again and again
    // until the listing is done.
    std::vector<std::unique_ptr<UdpSocket>> forged;
    for (int s = 1; s <= 20; ++s) {
        forged.push_back(std::make_unique<UdpSocket>());
        ASSERT_TRUE(forged.back()->bindTo("127.0.1." + std::to_string(s), 0));
    }
    const DataPacketWriter::Payload payload{};
    while (!lister.waitForFinished(100)) {
        for (auto& socket : forged) {
            socket->sendTo("127.0.0.1", static_cast<std::uint16_t>(port), payload.data(),
                           payload.size());
        }
    }
    ASSERT_EQ(lister.exitCode(), 0) << lister.readAllStandardError().constData();
    const QList<QByteArray> lines = lister.readAllStandardOutput().trimmed().split('\n');
    ASSERT_EQ(lines.size(), 17) << lines.join('\n').constData();
    for (int l = 0; l < 16; ++l) {
        EXPECT_TRUE(lines[l].startsWith("127.0.1.")) << lines[l].constData();
    }
    EXPECT_TRUE(lines[16].endsWith("datagrams from further sources than the 16 sensors taken, "
                                   "dropped"))
        << lines[16].constData();
}
