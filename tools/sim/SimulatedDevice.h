#pragma once

#include "device/DeviceInfoPacket.h"
#include "device/DeviceState.h"
#include "lidar/ByteSpan.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// The simulated sensor's settings and clock: what its device-information
// packets report, changed by the configuration packets it accepts.
class SimulatedDevice {
public:
    using SystemClock = std::chrono::system_clock;

    // The fastest motor the simulator models: 100 revolutions per second.
    static constexpr int kMaxRpm = 6000;

    explicit SimulatedDevice(const DeviceState& initial) : state_(initial) {}

    const DeviceState& state() const { return state_; }
    bool motorRunning() const { return state_.motorState == DeviceState::kMotorRunning; }
    double revolutionsPerSecond() const { return state_.motorRpm / 60.0; }
    std::string hostAddress() const;
    std::string sensorAddress() const;

    // The device-information packet of the moment `now`, with the device
    // clock as last set.
    DeviceInfoPacket::Bytes infoPacket(SystemClock::time_point now) const;

    struct Applied {
        // One note per setting that changed or was refused, e.g. "rpm 600 -> 1200".
        std::vector<std::string> notes;
        // A new address for the sensor itself: the caller moves there with
        // moveTo() once it can send and listen there.
        std::optional<AddressBytes> sensorAddress;
        bool rateChanged = false;
        bool motorChanged = false;
    };

    // Takes the settings of a configuration packet (which the caller has
    // checked with ConfigPacket::isConfigPacket) received at `now`. Settings
    // the sensor cannot hold (no motor speed, port 0, an impossible clock
    // reading) are refused with a note and keep their values.
    Applied apply(ByteSpan config, SystemClock::time_point now);

    // Takes the settings of the default configuration packet. It carries no
    // MAC address; the sensor keeps its own.
    Applied applyDefaults(ByteSpan config, SystemClock::time_point now);

    // Takes the calibration tables, serial number, version, segment factors
    // and measure range of an advanced parameter packet. The next
    // device-information packets report them, all but the measure range,
    // for which they have no place.
    Applied applyAdvanced(ByteSpan packet);

    // Hundredths of a metre; the sensor starts at 160.00.
    std::uint16_t measureRange() const { return measureRange_; }

    void moveTo(const AddressBytes& address) { state_.sensorIp = address; }

private:
    DeviceState state_;
    SystemClock::duration clockOffset_{};
    std::uint16_t measureRange_ = 16000;
};
