#pragma once

#include "device/CalibrationTables.h"
#include "device/DeviceState.h"

// Calibration tables for the simulated sensor, the same for the same seed;
// seed 0 gives all zeros.
// - Seed 1 gives plausible tables: only the entries the advanced window
//   shows carry values (static values, pitch and azimuth entries 0..31,
//   reflectivity bytes 0..15), and segment factor 1 is 0.29, a value single
//   precision cannot hold exactly.
// - Seeds of 2 and more draw every entry over all the packet can carry:
//   signed bytes of -128..127 (7, 8, 9 and -7 among the first reflectivity
//   values), words of 0..65535 (7.2, 8.47, 9.54, 8.5, 75 and entries of
//   0x8000 and more among the first pitch and azimuth values).
CalibrationTables seededCalibration(unsigned seed);

// Takes the seed's calibration into `device`, and for seeds of 2 and more
// an identity the named tables do not hold: a model code of 7..255, a
// variant code of 4..255, any 32-bit running number, and version numbers of
// two and three digits.
void applySeed(unsigned seed, DeviceState& device);
