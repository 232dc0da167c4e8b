#pragma once

#include <cstdint>

// The colouring modes, in the order of the colour-mode combo box.
enum class ColourMode {
    Intensity = 0,
    Solid = 1,
    Elevation = 2,
    Azimuth = 3,
    LaserId = 4,
    Sensor = 5 // one colour per sensor (SensorPalette)
};

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;

    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// The colour of one point under a mode given as the combo-box index. An
// index outside the modes leaves `previous` as it is. Components are
// kept to their low 8 bits, as the intensity ramp relies on.
inline Rgb pointColour(int mode, int channel, float azimuthDegrees, float z, int intensity,
                       Rgb previous) {
    const auto byte = [](int v) { return static_cast<std::uint8_t>(v & 0xFF); };
    switch (static_cast<ColourMode>(mode)) {
    case ColourMode::Intensity:
        if (intensity < 32) {
            return {0, byte(8 * intensity), 255};
        }
        if (intensity < 64) {
            return {0, 255, byte(383 - 4 * intensity)};
        }
        if (intensity < 128) {
            return {byte(4 * intensity - 64), 255, 0};
        }
        return {255, byte(510 - 2 * intensity), 0};
    case ColourMode::Solid:
        return {255, 255, 255};
    case ColourMode::Elevation:
        // The exact boundaries -2, 0 and 1 fall through to blue.
        if (z < -2) {
            return {139, 69, 19};
        }
        if (z > -2 && z < 0) {
            return {255, 255, 0};
        }
        if (z > 0 && z < 1) {
            return {255, 255, 255};
        }
        if (z > 1 && z < 5) {
            return {0, 128, 0};
        }
        return {0, 0, 255};
    case ColourMode::Azimuth:
        if (azimuthDegrees < 45) {
            return {0, 255, 255};
        }
        if (azimuthDegrees < 90) {
            return {0, 125, 192};
        }
        if (azimuthDegrees < 135) {
            return {0, 255, 0};
        }
        return {255, 255, 0};
    case ColourMode::LaserId: {
        static constexpr Rgb pairs[7] = {{102, 102, 255}, {153, 153, 255}, {204, 204, 255},
                                         {255, 255, 255}, {255, 178, 178}, {255, 102, 102},
                                         {255, 76, 76}};
        if (channel >= 0 && channel < 14) {
            return pairs[channel / 2];
        }
        return {255, 0, 0};
    }
    case ColourMode::Sensor:
        // The colour of the point's sensor, which the point does not know:
        // the caller gives it as `previous`.
        return previous;
    }
    return previous;
}
