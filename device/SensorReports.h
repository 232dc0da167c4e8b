#pragma once

#include "device/DeviceReport.h"

#include <cstdint>
#include <vector>

// The latest device report of each sensor heard, the first heard first. At
// most kMaxSensors are kept, so that packets from forged source addresses
// cannot exhaust memory: reports of further senders are counted and dropped.
class SensorReports {
public:
    static constexpr std::size_t kMaxSensors = 16;

    enum class Taken {
        First,  // the first report of its sensor
        Again,  // replaces its sensor's previous report
        Dropped // a new sender while kMaxSensors are kept
    };
    Taken take(const DeviceReport& report);

    // Null when nothing was heard from `sender`.
    const DeviceReport* latest(const AddressBytes& sender) const;
    const std::vector<DeviceReport>& sensors() const { return reports_; }
    std::uint64_t dropped() const { return dropped_; }

private:
    std::vector<DeviceReport> reports_;
    std::uint64_t dropped_ = 0;
};
