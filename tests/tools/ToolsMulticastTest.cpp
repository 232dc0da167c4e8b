#include "ToolRunner.h"

#include <QFile>
#include <QTemporaryDir>

using namespace ToolRunner;

namespace {

// Multicast traffic must not leave the machine: run only where loopback is
// the sole interface, as in the test namespace.
bool onlyLoopback() {
    // /proc/net/dev lists the interfaces of this process's namespace.
    QFile dev("/proc/net/dev");
    if (!dev.open(QIODevice::ReadOnly)) {
        return false;
    }
    QStringList interfaces;
    for (const QByteArray& line : dev.readAll().split('\n').mid(2)) {
        if (line.contains(':')) {
            interfaces << QString::fromUtf8(line.left(line.indexOf(':')).trimmed());
        }
    }
    return interfaces == QStringList{"lo"};
}

// A group of this test's own: tests run in parallel.
const QString kGroup = "224.1.1.62";

} // namespace

TEST(LidarExportMulticast, ReceivesTheGroupItJoinsAndNothingWithoutJoining) {
    if (!onlyLoopback()) {
        GTEST_SKIP() << "needs a network namespace with loopback only";
    }
    const int port = freeUdpPort();
    QProcess simulator;
    start(simulator, "sensor-sim",
          {"--quiet", "--host", kGroup, "--port", QString::number(port), "--step", "2", "--rate",
           "20"});
    QTemporaryDir dir;
    const Result joined =
        run("lidar-export", {"--listen", QString::number(port), "--group", kGroup, "--frames", "2",
                             "--timeout", "20", dir.path() + "/joined.csv"});
    const Result alone = run("lidar-export", {"--listen", QString::number(port), "--frames", "1",
                                              "--timeout", "1", dir.path() + "/alone.csv"});
    simulator.terminate();
    simulator.waitForFinished(5000);

    EXPECT_EQ(joined.exitCode, 0) << joined.err.constData();
    EXPECT_TRUE(joined.err.startsWith("lidar-export: wrote 2 frames")) << joined.err.constData();
    EXPECT_EQ(alone.exitCode, 1) << alone.err.constData();
    EXPECT_TRUE(alone.err.contains("no complete frame")) << alone.err.constData();
}
