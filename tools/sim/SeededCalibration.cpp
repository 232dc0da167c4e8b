#include "tools/sim/SeededCalibration.h"

#include <random>

CalibrationTables seededCalibration(unsigned seed) {
    CalibrationTables t;
    if (seed == 0) {
        return t;
    }
    std::minstd_rand random(seed);
    const auto between = [&random](int low, int high) {
        return low + static_cast<int>(random() % static_cast<unsigned>(high - low + 1));
    };
    for (auto& value : t.staticValues) {
        value = static_cast<std::int8_t>(between(-40, 40));
    }
    for (std::size_t k = 0; k < 32; ++k) {
        t.pitch[k] = static_cast<std::uint16_t>(between(0, 2500));
        t.azimuth[k] = static_cast<std::uint16_t>(between(0, 900));
    }
    for (std::size_t k = 0; k < 16; ++k) {
        t.reflectivity1[k] = static_cast<std::int8_t>(between(-20, 20));
        t.reflectivity2[k] = static_cast<std::int8_t>(between(-20, 20));
    }
    t.segmentFactors[0] = 29;
    for (std::size_t k = 1; k < t.segmentFactors.size(); ++k) {
        t.segmentFactors[k] = static_cast<std::uint16_t>(50 * (k + 1) + between(-20, 20));
    }
    // Entries no window shows are set too, so a sender that does not keep
    // them is caught.
    for (std::size_t k = 32; k < t.pitch.size(); ++k) {
        t.pitch[k] = static_cast<std::uint16_t>(between(0, 2500));
        t.azimuth[k] = static_cast<std::uint16_t>(between(0, 900));
    }
    for (std::size_t k = 16; k < t.reflectivity1.size(); ++k) {
        t.reflectivity1[k] = static_cast<std::int8_t>(between(-20, 20));
        t.reflectivity2[k] = static_cast<std::int8_t>(between(-20, 20));
    }
    return t;
}
