#include "ToolRunner.h"
#include "support/QtWait.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <csignal>

using namespace ToolRunner;

namespace {

// tcpdump writing the UDP traffic of one port on an interface to a file,
// stopped with Ctrl-C as a user would.
class Tcpdump {
public:
    Tcpdump(const QString& program, const QString& interface, int port, const QString& file) {
        process_.start(program, {"-i", interface, "-Z", "root", "-U", "-w", file, "udp", "port",
                                 QString::number(port)});
    }
    ~Tcpdump() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished();
        }
    }
    Tcpdump(const Tcpdump&) = delete;
    Tcpdump& operator=(const Tcpdump&) = delete;

    // Whether it said it is capturing; false when it ended or stayed silent.
    bool waitUntilListening() {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 30000) {
            process_.waitForReadyRead(100);
            errors_ += process_.readAllStandardError();
            if (errors_.contains("listening on")) {
                return true;
            }
            if (process_.state() == QProcess::NotRunning) {
                return false;
            }
        }
        return false;
    }
    // Interrupts it and returns its exit code (-1 if it did not end).
    int stop() {
        signalIfRunning(process_, SIGINT);
        if (!process_.waitForFinished(30000)) {
            return -1;
        }
        errors_ += process_.readAllStandardError();
        return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
    }
    const QByteArray& errors() const { return errors_; }

private:
    QProcess process_;
    QByteArray errors_;
};

std::uint32_t pcapLinkType(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(path);
    const QByteArray header = file.read(24);
    if (header.size() < 24) {
        return 0;
    }
    const auto* b = reinterpret_cast<const std::uint8_t*>(header.constData());
    return static_cast<std::uint32_t>(b[20] | b[21] << 8 | b[22] << 16 | b[23] << 24);
}

} // namespace

TEST(LidarExportTcpdump, LoopbackCapturesGiveTheRowsOfTheSimulatorsOwnCapture) {
    const QString tcpdump =
        QStandardPaths::findExecutable("tcpdump", {"/usr/sbin", "/usr/bin", "/sbin", "/bin"});
    if (tcpdump.isEmpty()) {
        GTEST_SKIP() << "tcpdump is not installed";
    }
    // A bound socket, so the traffic has somewhere to go.
    UdpSocket sink;
    ASSERT_TRUE(sink.bindAny(0));
    const int port = sink.localPort();
    QTemporaryDir dir;
    const QString onLoopback = dir.path() + "/lo.pcap";
    const QString onAny = dir.path() + "/any.pcap";
    Tcpdump lo(tcpdump, "lo", port, onLoopback);
    Tcpdump any(tcpdump, "any", port, onAny);
    if (!lo.waitUntilListening()) {
        GTEST_SKIP() << "tcpdump cannot capture here: " << lo.errors().constData();
    }
    ASSERT_TRUE(any.waitUntilListening()) << any.errors().constData();

    // The simulator's own capture of the same scan tells how many
    // datagrams the run sends.
    const QStringList scan = {"--quiet", "--step", "2", "--frames", "3"};
    const QString written = dir.path() + "/sim.pcap";
    ASSERT_EQ(run("sensor-sim", scan + QStringList{"--write-pcap", written}).exitCode, 0);
    const qint64 datagrams = (QFile(written).size() - 24) / (16 + 1248);

    const Result sent =
        run("sensor-sim", scan + QStringList{"--port", QString::number(port), "--rate", "20"});
    ASSERT_EQ(sent.exitCode, 0) << sent.err.constData();
    // tcpdump hands packets on in blocks: stop it once all are in the files
    // (records of 16 + 14 + 1234 bytes on loopback, 16 + 20 + 1234 on any).
    const bool complete = waitUntil(
        [&] {
            return QFile(onLoopback).size() == 24 + datagrams * 1264 &&
                   QFile(onAny).size() == 24 + datagrams * 1270;
        },
        10000);
    ASSERT_EQ(lo.stop(), 0) << lo.errors().constData();
    ASSERT_EQ(any.stop(), 0) << any.errors().constData();
    EXPECT_TRUE(complete) << QFile(onLoopback).size() << " " << QFile(onAny).size();
    EXPECT_TRUE(lo.errors().contains("\n0 packets dropped by kernel")) << lo.errors().constData();

    EXPECT_EQ(pcapLinkType(onLoopback), 1u); // Ethernet
    EXPECT_EQ(pcapLinkType(onAny), 276u);    // Linux cooked, version 2
    const Result expected = run("lidar-export", {written, dir.path() + "/sim.csv"});
    ASSERT_EQ(expected.exitCode, 0) << expected.err.constData();
    EXPECT_TRUE(expected.err.startsWith("lidar-export: wrote 3 frames"))
        << expected.err.constData();
    const QByteArray rows = [&] {
        QFile f(dir.path() + "/sim.csv");
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }();
    EXPECT_TRUE(rows == expectedCsv(simulatedFrame(200), 3));
    for (const QString& file : {onLoopback, onAny}) {
        const Result r = run("lidar-export", {"--quiet", file, "-"});
        ASSERT_EQ(r.exitCode, 0) << qPrintable(file) << ": " << r.err.constData();
        EXPECT_TRUE(r.out == rows) << qPrintable(file);
    }
}
