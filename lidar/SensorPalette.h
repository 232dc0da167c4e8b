#pragma once

#include "lidar/PointColour.h"

#include <array>

// The colours that tell sensors apart in the colour mode "Sensor", by the
// order the sensors were heard in: bright and far apart on the view's
// black ground. A ninth sensor takes the first colour again.
namespace SensorPalette {

inline constexpr std::array<Rgb, 8> kColours = {{{0, 200, 255},
                                                 {255, 140, 0},
                                                 {60, 220, 60},
                                                 {255, 60, 200},
                                                 {255, 255, 80},
                                                 {160, 120, 255},
                                                 {255, 80, 80},
                                                 {200, 200, 200}}};

inline Rgb colour(int order) {
    const int n = static_cast<int>(kColours.size());
    return kColours[static_cast<std::size_t>(((order % n) + n) % n)];
}

} // namespace SensorPalette
