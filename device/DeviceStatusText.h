#pragma once

#include "device/SettingData.h"

#include <QString>
#include <vector>

// The texts of the laser configuration window's status fields.
namespace DeviceStatusText {

// The device time, which the sensor keeps in UTC, shown 8 hours ahead with
// the carry into day, month and year: "2032/12/8 0:5:9:500:100".
QString deviceTime(const SettingData& record);

// Latitude characters 2..10 and the hemisphere letter.
QString latitude(const SettingData& record);
// All ten longitude characters and the hemisphere letter.
QString longitude(const SettingData& record);

// The six MAC entries of the port vector: "00-0a-35-00-1e-53".
QString mac(const std::vector<int>& ports);

} // namespace DeviceStatusText
