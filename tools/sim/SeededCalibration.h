#pragma once

#include "device/CalibrationTables.h"

// Plausible calibration tables for the simulated sensor, the same for the
// same seed; seed 0 gives all zeros. Only the entries the advanced window
// shows carry values (static values, pitch and azimuth entries 0..31,
// reflectivity bytes 0..15). Segment factor 1 is 0.29, a value single
// precision cannot hold exactly.
CalibrationTables seededCalibration(unsigned seed);
