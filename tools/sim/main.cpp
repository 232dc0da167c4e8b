// sensor-sim: a software stand-in for the lidar.

#include "net/UdpSocket.h"
#include "tools/sim/EthernetUdpFrame.h"
#include "tools/sim/LiveSensor.h"
#include "tools/sim/PcapFileWriter.h"
#include "tools/sim/SensorSimulator.h"
#include "tools/sim/SimOptions.h"

#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <sys/prctl.h>

namespace {

std::atomic<bool> stopRequested{false};

void requestStop(int) {
    stopRequested = true;
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
                    datagrams, o.pcapPath.c_str(), simulator.describe(o.rate).c_str());
    }
    return 0;
}

int send(SensorSimulator& simulator, const SimOptions& o) {
    // Datagrams leave every 74 µs at the default rate; the default timer
    // slack of 50 µs would bunch them.
    prctl(PR_SET_TIMERSLACK, 1000UL);
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    LiveSensor sensor(simulator, o);
    return sensor.run(stopRequested);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const SimOptions::Parsed parsed = SimOptions::parse(app.arguments());
    if (parsed.outcome == SimOptions::Outcome::Help ||
        parsed.outcome == SimOptions::Outcome::Version) {
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
