#pragma once

#include "lidar/SensorChoice.h"
#include "lidar/SensorPose.h"

#include <vector>

// What the window remembers of the sensors between runs, written as it
// changes: which sensor is shown (by its address, with its port only when
// another sensor shares the address) or that all are, and the pose of each
// address. Values that cannot be read give the first-run ones: the first
// sensor heard, and each sensor in its own coordinates.
namespace SensorSettings {

SensorChoice::Preference shown();
// `heard` tells whether the address alone names the sensor.
void keepShown(const SensorChoice::Preference& preference, const std::vector<SensorId>& heard);

SensorPose pose(const SensorId& sensor);
void keepPose(const SensorId& sensor, const SensorPose& pose);

} // namespace SensorSettings
