#pragma once

#include "advanced/AdvancedFields.h"
#include "device/SettingData.h"

// The texts "Refresh state" shows for a status record: the values as the
// sensor stores them, pitch and azimuth in hundredths, segment factors with
// two decimals, and both offsets 0 (the values shown already hold what
// earlier offsets did). Dest IP, Dest Port and the measure range are not
// filled (the sensor does not report a measure range).
AdvancedFields refreshTexts(const SettingData& status);
