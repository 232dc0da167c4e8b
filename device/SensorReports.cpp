#include "device/SensorReports.h"

#include <algorithm>

SensorReports::Taken SensorReports::take(const DeviceReport& report) {
    const auto known = std::find_if(reports_.begin(), reports_.end(), [&](const DeviceReport& r) {
        return r.sender == report.sender;
    });
    if (known != reports_.end()) {
        *known = report;
        return Taken::Again;
    }
    if (reports_.size() >= kMaxSensors) {
        ++dropped_;
        return Taken::Dropped;
    }
    reports_.push_back(report);
    return Taken::First;
}

const DeviceReport* SensorReports::latest(const AddressBytes& sender) const {
    const auto known = std::find_if(reports_.begin(), reports_.end(),
                                    [&](const DeviceReport& r) { return r.sender == sender; });
    return known == reports_.end() ? nullptr : &*known;
}
