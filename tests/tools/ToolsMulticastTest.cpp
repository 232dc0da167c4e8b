#include "ToolRunner.h"
#include "support/LoopbackOnly.h"

#include <QFile>
#include <QTemporaryDir>

using namespace ToolRunner;

namespace {

// A group of this test's own: tests run in parallel.
const QString kGroup = "224.1.1.62";

} // namespace

TEST(LidarExportMulticast, ReceivesTheGroupItJoinsAndNothingWithoutJoining) {
    // Multicast traffic must not leave the machine.
    if (!onlyLoopbackInterfaces()) {
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
                             "--timeout", "60", dir.path() + "/joined.csv"});
    const Result alone = run("lidar-export", {"--listen", QString::number(port), "--frames", "1",
                                              "--timeout", "1", dir.path() + "/alone.csv"});
    simulator.terminate();
    simulator.waitForFinished(30000);

    EXPECT_EQ(joined.exitCode, 0) << joined.err.constData();
    EXPECT_TRUE(joined.err.startsWith("lidar-export: wrote 2 frames")) << joined.err.constData();
    EXPECT_EQ(alone.exitCode, 1) << alone.err.constData();
    EXPECT_TRUE(alone.err.contains("no complete frame")) << alone.err.constData();
}
