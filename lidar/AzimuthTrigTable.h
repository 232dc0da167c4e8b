#pragma once

#include <cstdint>
#include <vector>

// Cosines and sines that the point geometry needs, precomputed for every
// azimuth the 16-bit field can carry (raw value / 100). Lookups give the
// same bits as computing the expressions directly.
class AzimuthTrigTable {
public:
    struct Entry {
        double cosAzimuth;   // cos(a * pi / 180)
        double sinAzimuth;   // sin(a * pi / 180)
        double cosHalfPlus;  // cos((a + 15) * pi / 360), a + 15 in single precision
        double sinHalfMinus; // sin((a - 15) * pi / 360), a - 15 in single precision
    };

    static const AzimuthTrigTable& instance();

    static Entry compute(float azimuthDegrees);

    // The entry of an azimuth that came from the 16-bit field, or nullptr for
    // any other value (the caller then computes it).
    const Entry* find(float azimuthDegrees) const {
        const float scaled = azimuthDegrees * 100.0f;
        if (!(scaled >= 0.0f && scaled < 65535.5f)) {
            return nullptr;
        }
        const auto raw = static_cast<std::uint32_t>(scaled + 0.5f);
        return azimuthOf(raw) == azimuthDegrees ? &entries_[raw] : nullptr;
    }

    static float azimuthOf(std::uint32_t raw) { return static_cast<float>(raw) / 100.0f; }

private:
    AzimuthTrigTable();
    std::vector<Entry> entries_;
};
