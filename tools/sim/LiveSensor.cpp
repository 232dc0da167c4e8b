#include "tools/sim/LiveSensor.h"

#include "advanced/AdvancedPacket.h"
#include "advanced/DefaultConfigPacket.h"
#include "device/ConfigPacket.h"
#include "tools/sim/DataStreamTask.h"
#include "tools/sim/PeriodicTask.h"
#include "tools/sim/SimulatorLoop.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <system_error>

namespace {

std::string dotted(const AddressBytes& a) {
    return addressFieldText(a).toStdString();
}

std::string dotted(std::uint32_t address) {
    return dotted({static_cast<std::uint8_t>(address >> 24),
                   static_cast<std::uint8_t>(address >> 16),
                   static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)});
}

std::string systemError() {
    return std::generic_category().message(errno);
}

std::string joined(const std::vector<std::string>& notes) {
    std::string text;
    for (const std::string& note : notes) {
        text += (text.empty() ? "" : ", ") + note;
    }
    return text;
}

// The configuration socket drains what waits at each look, so a burst of
// packets is taken at once.
constexpr auto kConfigurationPoll = std::chrono::milliseconds(10);
constexpr auto kDeviceInfoInterval = std::chrono::seconds(1);

} // namespace

LiveSensor::LiveSensor(SensorSimulator& simulator, const SimOptions& options)
    : simulator_(simulator), options_(options), device_(options.device) {}

bool LiveSensor::openSockets(const std::string& address, Sockets& sockets, std::string& error) {
    sockets.out = std::make_unique<UdpSocket>();
    sockets.config.reset();
    if (address.empty()) {
        return true;
    }
    if (!sockets.out->bindTo(address, 0)) {
        error = "cannot send from " + address + ": " + systemError();
        return false;
    }
    sockets.config = std::make_unique<UdpSocket>();
    if (!sockets.config->bindTo(address, ConfigPacket::kSensorPort) ||
        !sockets.config->setNonBlocking()) {
        sockets.configError = "cannot take configuration packets at " + address + ":" +
                              std::to_string(ConfigPacket::kSensorPort) + ": " + systemError();
        sockets.config.reset();
    }
    return true;
}

void LiveSensor::say(const std::string& line) const {
    if (!options_.quiet) {
        std::printf("sensor-sim: %s\n", line.c_str());
        std::fflush(stdout);
    }
}

void LiveSensor::sendDeviceInfo() {
    const DeviceInfoPacket::Bytes packet = device_.infoPacket(SimulatedDevice::SystemClock::now());
    if (!sockets_.out->sendTo(host_, device_.state().equipmentPort, packet.data(), packet.size())) {
        ++infoFailed_;
    }
}

void LiveSensor::moveSensor(const AddressBytes& address, std::vector<std::string>& notes) {
    Sockets moved;
    std::string error;
    // At an address where it could not be configured again it would be lost.
    if (!openSockets(dotted(address), moved, error) || !moved.config) {
        notes.push_back("sensor address " + dotted(address) + " refused (" +
                        (error.empty() ? moved.configError : error) + ")");
        return;
    }
    notes.push_back("sensor address " + device_.sensorAddress() + " -> " + dotted(address));
    sockets_ = std::move(moved);
    device_.moveTo(address);
}

void LiveSensor::takeConfigurationPackets(DataStreamTask& data) {
    std::array<std::uint8_t, 2048> buffer{};
    while (sockets_.config) {
        const UdpSocket::Received got = sockets_.config->receive(buffer.data(), buffer.size());
        if (got.status == UdpSocket::Status::Timeout || got.status == UdpSocket::Status::Error) {
            return;
        }
        const std::string from = dotted(got.sourceAddress) + ":" + std::to_string(got.sourcePort);
        if (got.status != UdpSocket::Status::Ok ||
            !ConfigPacket::isConfigPacket(buffer.data(), got.size)) {
            say("ignored " + std::to_string(got.size) + " bytes from " + from +
                ": not a configuration packet");
            continue;
        }
        const ByteSpan packet(buffer.data(), got.size);
        if (AdvancedPacket::isAdvancedPacket(buffer.data(), got.size)) {
            const SimulatedDevice::Applied applied = device_.applyAdvanced(packet);
            say("advanced parameter packet from " + from + ": " +
                (applied.notes.empty() ? std::string("nothing changed") : joined(applied.notes)));
            continue;
        }
        const bool defaults = DefaultConfigPacket::isDefaultConfigPacket(buffer.data(), got.size);
        const auto now = SimulatedDevice::SystemClock::now();
        SimulatedDevice::Applied applied =
            defaults ? device_.applyDefaults(packet, now) : device_.apply(packet, now);
        if (applied.sensorAddress) {
            moveSensor(*applied.sensorAddress, applied.notes);
        }
        if (applied.rateChanged) {
            data.setRate(device_.revolutionsPerSecond());
        }
        if (applied.motorChanged) {
            data.setMotorRunning(device_.motorRunning());
        }
        host_ = device_.hostAddress();
        say(std::string(defaults ? "default configuration packet" : "configuration packet") +
            " from " + from + ": " +
            (applied.notes.empty() ? std::string("nothing changed") : joined(applied.notes)));
    }
}

int LiveSensor::run(std::atomic<bool>& stop) {
    std::string error;
    if (!openSockets(options_.sourceAddress, sockets_, error)) {
        std::fprintf(stderr, "sensor-sim: %s\n", error.c_str());
        return 1;
    }
    if (!sockets_.configError.empty()) {
        std::fprintf(stderr, "sensor-sim: %s; going on without\n", sockets_.configError.c_str());
    }
    host_ = device_.hostAddress();

    using Clock = SimulatorTask::Clock;
    const auto start = Clock::now();
    DataStreamTask data(
        simulator_, options_.rate, options_.frames,
        [this](const SensorSimulator::Payload& p) {
            return sockets_.out->sendTo(host_, device_.state().dataPort, p.data(), p.size());
        },
        start);
    data.setMotorRunning(device_.motorRunning());
    // The first device packet leaves at once.
    PeriodicTask info(
        kDeviceInfoInterval, [this] { sendDeviceInfo(); }, start - kDeviceInfoInterval);
    PeriodicTask configuration(
        kConfigurationPoll, [this, &data] { takeConfigurationPackets(data); }, start);
    PeriodicTask deadline(
        std::chrono::seconds(options_.seconds), [&stop] { stop = true; }, start);

    std::uint64_t reported = 0;
    std::uint64_t reportedFailures = 0;
    PeriodicTask report(
        std::chrono::seconds(1),
        [&] {
            std::string line = std::to_string(data.sent() - reported) + " datagrams/s to " + host_ +
                               ":" + std::to_string(device_.state().dataPort) + ", frame " +
                               std::to_string(data.revolutions());
            if (!data.motorRunning()) {
                line += ", motor stopped";
            }
            if (data.failed() > reportedFailures) {
                line += ", " + std::to_string(data.failed() - reportedFailures) + " sends failed";
            }
            say(line);
            reported = data.sent();
            reportedFailures = data.failed();
        },
        start);

    SimulatorLoop loop;
    loop.add(data, SimulatorLoop::Role::Main);
    loop.add(info, SimulatorLoop::Role::Background);
    if (sockets_.config) {
        loop.add(configuration, SimulatorLoop::Role::Background);
    }
    if (options_.seconds > 0) {
        loop.add(deadline, SimulatorLoop::Role::Background);
    }
    if (!options_.quiet) {
        loop.add(report, SimulatorLoop::Role::Background);
    }
    std::string where = "sending to " + host_ + ":" + std::to_string(device_.state().dataPort) +
                        ", device packets to port " + std::to_string(device_.state().equipmentPort);
    if (sockets_.config) {
        where += ", taking configuration packets at " + options_.sourceAddress + ":" +
                 std::to_string(ConfigPacket::kSensorPort);
    }
    say(where + ", " + simulator_.describe(options_.rate));
    loop.run(stop);

    say("sent " + std::to_string(data.revolutions()) + " frames in " + std::to_string(data.sent()) +
        " datagrams");
    if (data.sent() == 0 && data.failed() > 0) {
        std::fprintf(stderr, "sensor-sim: no datagram could be sent to %s:%u\n", host_.c_str(),
                     device_.state().dataPort);
        return 1;
    }
    return 0;
}
