#pragma once

#include "net/UdpSocket.h"
#include "tools/sim/SensorSimulator.h"
#include "tools/sim/SimOptions.h"
#include "tools/sim/SimulatedDevice.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class DataStreamTask;

// The simulated sensor on the network: its data stream, a device-information
// packet to the host every second, and, at its own address, the
// configuration packets it takes, which change what it sends next.
class LiveSensor {
public:
    LiveSensor(SensorSimulator& simulator, const SimOptions& options);

    // Runs until the data stream has sent its frames, `stop` is set, or the
    // run time of the options has passed (which sets `stop`). Returns the
    // exit code.
    int run(std::atomic<bool>& stop);

private:
    struct Sockets {
        std::unique_ptr<UdpSocket> out;
        std::unique_ptr<UdpSocket> config; // none without an address of its own
        std::string configError;           // why there is none although asked for
    };
    // The sockets of a sensor at `address`; an empty address sends from any
    // address and takes no configuration packets. Fails only when nothing
    // can be sent from the address.
    static bool openSockets(const std::string& address, Sockets& sockets, std::string& error);

    void sendDeviceInfo();
    void takeConfigurationPackets(DataStreamTask& data);
    void moveSensor(const AddressBytes& address, std::vector<std::string>& notes);
    void say(const std::string& line) const;

    SensorSimulator& simulator_;
    const SimOptions& options_;
    SimulatedDevice device_;
    Sockets sockets_;
    std::string host_; // where everything goes, as text for the sends
    std::uint64_t infoFailed_ = 0;
};
