// sensor-sim: a software stand-in for the lidar.

#include "net/UdpSocket.h"
#include "tools/sim/DataStreamTask.h"
#include "tools/sim/EthernetUdpFrame.h"
#include "tools/sim/PcapFileWriter.h"
#include "tools/sim/PeriodicTask.h"
#include "tools/sim/SensorSimulator.h"
#include "tools/sim/SimOptions.h"
#include "tools/sim/SimulatorLoop.h"

#include <QCoreApplication>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <system_error>

namespace {

std::atomic<bool> stopRequested{false};

void requestStop(int) {
    stopRequested = true;
}

std::string describe(const SensorSimulator& simulator, const SimOptions& o) {
    char text[160];
    std::snprintf(text, sizeof text, "%zu points per frame, %d azimuths of %.2f degrees, %g Hz",
                  simulator.pointsPerRevolution(), simulator.azimuthsPerRevolution(),
                  o.azimuthStep / 100.0, o.rate);
    return text;
}

int writeCapture(SensorSimulator& simulator, const SimOptions& o) {
    // A capture looks as if taken on the PC the sensor sends to, with the
    // sensor's factory addresses unless others are given. Nothing is sent.
    EthernetUdpFrame::Endpoints endpoints;
    UdpSocket::parseAddress(o.hostGiven ? o.host : "192.168.1.102", endpoints.destinationAddress);
    UdpSocket::parseAddress(o.sourceAddress.empty() ? "192.168.1.200" : o.sourceAddress,
                            endpoints.sourceAddress);
    endpoints.sourcePort = o.port;
    endpoints.destinationPort = o.port;

    PcapFileWriter file;
    if (!file.open(o.pcapPath)) {
        std::fprintf(stderr, "sensor-sim: cannot write %s: %s\n", o.pcapPath.c_str(),
                     file.error().c_str());
        return 1;
    }
    const auto start = std::chrono::duration_cast<std::chrono::microseconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count();
    const double periodUs = 1e6 / o.rate;
    std::uint16_t ipId = 0;
    std::size_t datagrams = 0;
    std::vector<SensorSimulator::Payload> payloads;
    for (int r = 0; r <= o.frames; ++r) {
        payloads.clear();
        if (r < o.frames) {
            simulator.nextRevolution(payloads);
        } else {
            simulator.finish(payloads);
        }
        for (std::size_t j = 0; j < payloads.size(); ++j) {
            const auto frame =
                EthernetUdpFrame::build(endpoints, ipId++, payloads[j].data(), payloads[j].size());
            const double offset = periodUs * (r + static_cast<double>(j) / payloads.size());
            if (!file.write(frame.data(), frame.size(), start + std::llround(offset))) {
                std::fprintf(stderr, "sensor-sim: cannot write %s: %s\n", o.pcapPath.c_str(),
                             file.error().c_str());
                return 1;
            }
            ++datagrams;
        }
    }
    if (!file.close()) {
        std::fprintf(stderr, "sensor-sim: cannot write %s: %s\n", o.pcapPath.c_str(),
                     file.error().c_str());
        return 1;
    }
    if (!o.quiet) {
        std::printf("sensor-sim: wrote %d frames in %zu datagrams to %s (%s)\n", o.frames,
                    datagrams, o.pcapPath.c_str(), describe(simulator, o).c_str());
    }
    return 0;
}

int send(SensorSimulator& simulator, const SimOptions& o) {
    UdpSocket socket;
    if (!o.sourceAddress.empty() && !socket.bindTo(o.sourceAddress, 0)) {
        std::fprintf(stderr, "sensor-sim: cannot send from %s: %s\n", o.sourceAddress.c_str(),
                     std::generic_category().message(errno).c_str());
        return 1;
    }
    // Datagrams leave every 74 µs at the default rate; the default timer
    // slack of 50 µs would bunch them.
    prctl(PR_SET_TIMERSLACK, 1000UL);
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);

    const auto start = SimulatorTask::Clock::now();
    DataStreamTask data(
        simulator, o.rate, o.frames,
        [&](const SensorSimulator::Payload& p) {
            return socket.sendTo(o.host, o.port, p.data(), p.size());
        },
        start);
    std::uint64_t reported = 0;
    std::uint64_t reportedFailures = 0;
    PeriodicTask report(
        std::chrono::seconds(1),
        [&] {
            const std::uint64_t failed = data.failed() - reportedFailures;
            std::printf("sensor-sim: %llu datagrams/s to %s:%u, frame %d",
                        static_cast<unsigned long long>(data.sent() - reported), o.host.c_str(),
                        o.port, data.revolutions());
            if (failed > 0) {
                std::printf(", %llu sends failed", static_cast<unsigned long long>(failed));
            }
            std::printf("\n");
            std::fflush(stdout);
            reported = data.sent();
            reportedFailures = data.failed();
        },
        start);

    SimulatorLoop loop;
    loop.add(data, SimulatorLoop::Role::Main);
    if (!o.quiet) {
        std::printf("sensor-sim: sending to %s:%u, %s\n", o.host.c_str(), o.port,
                    describe(simulator, o).c_str());
        std::fflush(stdout);
        loop.add(report, SimulatorLoop::Role::Background);
    }
    loop.run(stopRequested);

    if (!o.quiet) {
        std::printf("sensor-sim: sent %d frames in %llu datagrams\n", data.revolutions(),
                    static_cast<unsigned long long>(data.sent()));
    }
    if (data.sent() == 0 && data.failed() > 0) {
        std::fprintf(stderr, "sensor-sim: no datagram could be sent to %s:%u\n", o.host.c_str(),
                     o.port);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const SimOptions::Parsed parsed = SimOptions::parse(app.arguments());
    if (parsed.outcome == SimOptions::Outcome::Help) {
        std::printf("%s", qPrintable(parsed.message));
        return 0;
    }
    if (parsed.outcome == SimOptions::Outcome::Error) {
        std::fprintf(stderr, "sensor-sim: %s\n", qPrintable(parsed.message));
        return 2;
    }
    const SimOptions& options = parsed.options;
    SensorSimulator simulator(SyntheticScene::street(), options.azimuthStep);
    return options.pcapPath.empty() ? send(simulator, options) : writeCapture(simulator, options);
}
