#include "tools/sim/SeededCalibration.h"

#include <algorithm>
#include <random>

namespace {

// Values a calibrator reads off a real sensor, which a field has to take.
constexpr std::int8_t kTellingBytes[] = {7, 8, 9, -7, -128, 127};
constexpr std::uint16_t kTellingPitch[] = {720, 847, 954, 0x8000, 65535};
constexpr std::uint16_t kTellingAzimuth[] = {850, 7500, 0x8001, 1};

CalibrationTables wideCalibration(std::minstd_rand& random) {
    CalibrationTables t;
    const auto byte = [&random] { return static_cast<std::int8_t>(random() & 0xFF); };
    const auto word = [&random] { return static_cast<std::uint16_t>(random() & 0xFFFF); };
    std::generate(t.staticValues.begin(), t.staticValues.end(), byte);
    std::generate(t.pitch.begin(), t.pitch.end(), word);
    std::generate(t.azimuth.begin(), t.azimuth.end(), word);
    std::generate(t.reflectivity1.begin(), t.reflectivity1.end(), byte);
    std::generate(t.reflectivity2.begin(), t.reflectivity2.end(), byte);
    std::generate(t.segmentFactors.begin(), t.segmentFactors.end(), word);
    std::copy(std::begin(kTellingBytes), std::end(kTellingBytes), t.reflectivity1.begin());
    std::copy(std::begin(kTellingBytes), std::end(kTellingBytes), t.staticValues.begin());
    std::copy(std::begin(kTellingPitch), std::end(kTellingPitch), t.pitch.begin());
    std::copy(std::begin(kTellingAzimuth), std::end(kTellingAzimuth), t.azimuth.begin());
    return t;
}

} // namespace

CalibrationTables seededCalibration(unsigned seed) {
    CalibrationTables t;
    if (seed == 0) {
        return t;
    }
    std::minstd_rand random(seed);
    if (seed >= 2) {
        return wideCalibration(random);
    }
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

void applySeed(unsigned seed, DeviceState& device) {
    device.calibration = seededCalibration(seed);
    if (seed < 2) {
        return;
    }
    std::minstd_rand random(~seed);
    device.modelCode = static_cast<std::uint8_t>(7 + random() % 249);
    device.variantCode = static_cast<std::uint8_t>(4 + random() % 252);
    const auto high = static_cast<std::uint32_t>(random() & 0xFFFF);
    device.serialNumber = high << 16 | static_cast<std::uint32_t>(random() & 0xFFFF);
    device.firmware = {static_cast<std::uint8_t>(1 + random() % 9),
                       static_cast<std::uint8_t>(10 + random() % 90),
                       static_cast<std::uint8_t>(100 + random() % 156)};
}
