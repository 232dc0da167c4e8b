#pragma once

#include "support/LoopbackOnly.h"
#include "support/QtWait.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <cerrno>
#include <cstring>
#include <sched.h>
#include <string>
#include <unistd.h>

// sensor-sim as a sensor with an address of its own: it runs in a network
// namespace of its own at 192.168.1.200, joined by a veth pair to this test
// process at 192.168.1.102. The test process first moves into a fresh
// namespace too, so neither end is seen by other tests, and both namespaces
// (with the pair) go when the processes end. Traffic to these addresses
// never leaves the pair.
class SensorNamespace {
public:
    static constexpr const char* kSensorAddress = "192.168.1.200";
    static constexpr const char* kHostAddress = "192.168.1.102";

    SensorNamespace()
        : hostLink_(QStringLiteral("vh%1").arg(::getpid())),
          sensorLink_(QStringLiteral("vs%1").arg(::getpid())) {}

    ~SensorNamespace() {
        if (simulator_.state() != QProcess::NotRunning) {
            simulator_.terminate();
            if (!simulator_.waitForFinished(30000)) {
                simulator_.kill();
                simulator_.waitForFinished(30000);
            }
        }
        if (linked_) {
            ip({"link", "del", hostLink_});
        }
    }
    SensorNamespace(const SensorNamespace&) = delete;
    SensorNamespace& operator=(const SensorNamespace&) = delete;

    // Moves this process into a namespace of its own with loopback up.
    // Returns why that cannot be done here (the test then skips), or nothing.
    QString enter() {
        // Only inside the test run's namespace: there nothing can reach a
        // real network whatever goes wrong below.
        if (!onlyLoopbackInterfaces()) {
            return "needs a network namespace with loopback only";
        }
        // Threads started from here on (the receivers) follow into it.
        if (::unshare(CLONE_NEWNET) != 0) {
            return QStringLiteral("cannot make a network namespace: %1")
                .arg(QString::fromLocal8Bit(std::strerror(errno)));
        }
        if (!ip({"link", "set", "lo", "up"})) {
            return "cannot bring up loopback: " + error_;
        }
        return {};
    }

    // Starts sensor-sim in the sensor's namespace, links the two namespaces
    // and waits until the simulator is running there.
    bool start(const QStringList& simulatorArguments) {
        const QString script =
            QStringLiteral("i=0; while ! ip link show %1 >/dev/null 2>&1; do "
                           "i=$((i+1)); [ $i -gt 200 ] && exit 3; sleep 0.05; done; "
                           "ip link set lo up && ip addr add %2/24 dev %1 && "
                           "ip link set %1 up || exit 4; exec \"$@\"")
                .arg(sensorLink_, kSensorAddress);
        simulator_.start("unshare",
                         QStringList{"-n", "sh", "-c", script, "sh",
                                     qEnvironmentVariable("VANTOR_BIN_DIR") + "/sensor-sim"} +
                             simulatorArguments);
        if (!simulator_.waitForStarted(30000)) {
            error_ = "cannot start unshare: " + simulator_.errorString();
            return false;
        }
        // The sensor's end goes into the simulator's namespace, which exists
        // once its namespace differs from ours.
        const QString pid = QString::number(simulator_.processId());
        if (!waitUntil([&] { return netns("/proc/" + pid) != netns("/proc/thread-self"); })) {
            error_ = "the simulator's namespace did not appear";
            return false;
        }
        linked_ = ip(
            {"link", "add", hostLink_, "type", "veth", "peer", "name", sensorLink_, "netns", pid});
        if (!linked_ ||
            !ip({"addr", "add", QStringLiteral("%1/24").arg(kHostAddress), "dev", hostLink_}) ||
            !ip({"link", "set", hostLink_, "up"})) {
            return false;
        }
        if (!waitUntil([this] { return output().contains("sensor-sim: sending to"); }, 30000)) {
            error_ = "sensor-sim did not start: " + output() + simulator_.readAllStandardError();
            return false;
        }
        return true;
    }

    // All the simulator printed so far.
    QByteArray output() {
        output_ += simulator_.readAllStandardOutput();
        return output_;
    }
    QString error() const { return error_; }

private:
    static QString netns(const QString& process) {
        char target[64] = {};
        const QByteArray link = (process + "/ns/net").toLocal8Bit();
        const ssize_t n = ::readlink(link.constData(), target, sizeof target - 1);
        return n > 0 ? QString::fromLatin1(target, static_cast<int>(n)) : QString();
    }

    bool ip(const QStringList& arguments) {
        QProcess process;
        process.start("ip", arguments);
        if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0) {
            error_ = "ip " + arguments.join(' ') + ": " + process.readAllStandardError();
            return false;
        }
        return true;
    }

    QString hostLink_;
    QString sensorLink_;
    QProcess simulator_;
    QByteArray output_;
    QString error_;
    bool linked_ = false;
};
