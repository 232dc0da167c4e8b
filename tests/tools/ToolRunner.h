#pragma once

#include "lidar/CsvRowWriter.h"
#include "lidar/FrameCutter.h"
#include "net/UdpSocket.h"
#include "support/TestCaptureWriter.h"
#include "tools/sim/SensorSimulator.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <csignal>
#include <gtest/gtest.h>

// Runs the command-line tools as separate processes, found through
// VANTOR_BIN_DIR, and builds what they should produce in-process.
namespace ToolRunner {

struct Result {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

inline QString binary(const QString& name) {
    const QString dir = qEnvironmentVariable("VANTOR_BIN_DIR");
    EXPECT_FALSE(dir.isEmpty()) << "VANTOR_BIN_DIR is not set";
    return dir + "/" + name;
}

// Starts a tool and returns the running process (the caller ends it).
inline void start(QProcess& process, const QString& name, const QStringList& args) {
    process.start(binary(name), args);
    EXPECT_TRUE(process.waitForStarted(30000)) << qPrintable(name);
}

// Sends `signal` to the process if it still runs. A process that has ended
// has no id (0), and kill(0, ...) would signal the whole process group,
// the test run included. An ended child stays a zombie until QProcess reaps
// it, which happens only inside its own calls, so the id cannot be reused
// between the check and the kill.
inline void signalIfRunning(QProcess& process, int signal) {
    const auto pid = static_cast<pid_t>(process.processId());
    if (pid > 0) {
        ::kill(pid, signal);
    }
}

inline Result run(const QString& name, const QStringList& args, int timeoutMs = 60000) {
    QProcess process;
    start(process, name, args);
    const bool ended = process.waitForFinished(timeoutMs);
    EXPECT_TRUE(ended) << qPrintable(name + " " + args.join(' ')) << " did not end";
    if (!ended) {
        process.kill();
        process.waitForFinished();
    }
    Result r;
    r.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    r.out = process.readAllStandardOutput();
    r.err = process.readAllStandardError();
    return r;
}

inline int freeUdpPort() {
    UdpSocket probe;
    probe.bindAny(0);
    return probe.localPort();
}

// The frame sensor-sim sends every revolution at `azimuthStep`.
inline MuchLidarData simulatedFrame(int azimuthStep) {
    return SensorSimulator::revolutionFrame(SyntheticScene::street(), azimuthStep);
}

// The multi-frame CSV of `frames` copies of `frame`.
inline QByteArray expectedCsv(const MuchLidarData& frame, int frames,
                              const CsvExportFilter& filter = {}) {
    const ChannelGeometry geometry;
    CsvRowWriter writer(geometry, CsvRowWriter::Layout::MultiFrame);
    std::string text;
    writer.appendHeader(text);
    for (int n = 1; n <= frames; ++n) {
        writer.appendFrame(text, frame, filter, n);
    }
    return QByteArray::fromStdString(text);
}

// `revolutions` turns of the simulator's street at `azimuthStep`
// (hundredths of a degree) written as a capture, and the frames a receiver
// cuts from it, each with the capture time of the packet that ends it.
struct StreetCapture {
    std::vector<MuchLidarData> frames;
    std::vector<std::int64_t> times;

    StreetCapture(const QString& path, int azimuthStep, int revolutions) {
        SensorSimulator simulator(SyntheticScene::street(), azimuthStep);
        std::vector<SensorSimulator::Payload> payloads;
        for (int r = 0; r < revolutions; ++r) {
            simulator.nextRevolution(payloads);
        }
        simulator.finish(payloads);
        TestCaptureWriter writer(path.toStdString(), {});
        FrameCutter cutter;
        for (std::size_t i = 0; i < payloads.size(); ++i) {
            writer.writePayload(payloads[i].data());
            cutter.feed(payloads[i].data(), [&](const MuchLidarData& frame) {
                frames.push_back(frame);
                times.push_back(TestCaptureWriter::recordTime(i + 1));
            });
        }
        writer.close();
        EXPECT_TRUE(writer.ok());
    }
};

} // namespace ToolRunner
