#pragma once

#include "advanced/AdvancedFields.h"
#include "device/SettingData.h"

// The texts "Refresh state" shows for a status record: the values as the
// sensor stores them (without the Left/Right offsets), pitch and azimuth in
// hundredths, segment factors with two decimals. Dest IP, Dest Port, the
// offsets and the measure range are not filled (the sensor does not report
// a measure range).
AdvancedFields refreshTexts(const SettingData& status);
