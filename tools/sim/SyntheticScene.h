#pragma once

#include "tools/sim/Vec3.h"

#include <cstdint>
#include <optional>
#include <vector>

// A small street around the sensor, made of a ground plane, axis-aligned
// boxes (walls, cars, a truck) and vertical poles, for ray casting. The
// sensor sits at the origin; x, y and z are metres in its frame.
class SyntheticScene {
public:
    struct Box {
        Vec3 min;
        Vec3 max;
        double reflectivity; // 0..1
    };
    struct Pole {
        double x;
        double y;
        double radius;
        double zMin;
        double zMax;
        double reflectivity;
    };
    struct Hit {
        double range; // metres from the origin along the ray
        std::uint8_t intensity;
    };

    static constexpr double kMaxRange = 150.0;

    // The default street: ground 1.8 m below the sensor with painted lane
    // markings, buildings, a fence, parked cars, a truck and poles.
    static SyntheticScene street();

    void setGround(double z) { groundZ_ = z; }
    void addBox(const Box& box) { boxes_.push_back(box); }
    void addPole(const Pole& pole) { poles_.push_back(pole); }

    // The nearest surface along a ray from the origin (direction of unit
    // length) within kMaxRange.
    std::optional<Hit> cast(const Vec3& direction) const;

    // Distance from `p` to the nearest surface of the scene.
    double distanceToSurface(const Vec3& p) const;

private:
    // Painted markings shine brighter than the asphalt around them.
    static double groundReflectivity(double x, double y);
    // Brighter for reflective surfaces met head-on, fading with range.
    static std::uint8_t intensityOf(double reflectivity, double cosIncidence, double range);

    double groundZ_ = -1.8;
    std::vector<Box> boxes_;
    std::vector<Pole> poles_;
};
