#include "tools/sim/SyntheticScene.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

double component(const Vec3& v, int axis) {
    return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
}

} // namespace

SyntheticScene SyntheticScene::street() {
    SyntheticScene scene;
    scene.setGround(-1.8);
    const double g = -1.8;
    // Buildings and a fence.
    scene.addBox({{28, -25, g}, {34, 25, 8}, 0.45});
    scene.addBox({{-40, 16, g}, {20, 22, 6}, 0.5});
    scene.addBox({{-30, -12.3, g}, {12, -12, -0.6}, 0.7});
    // Parked cars and a truck.
    scene.addBox({{6, -5, g}, {10.5, -3.2, -0.3}, 0.8});
    scene.addBox({{12, 3, g}, {16.5, 4.8, -0.3}, 0.6});
    scene.addBox({{-9, 4.5, g}, {-4.5, 6.3, -0.3}, 0.9});
    scene.addBox({{-8, -7, g}, {-3.5, -5.2, -0.3}, 0.35});
    scene.addBox({{-24, -4, g}, {-16, -1.5, 1.7}, 0.55});
    // Street lights and sign posts.
    for (const auto& [x, y] :
         {std::pair{4.0, 8.0}, {15.0, -8.0}, {-14.0, 9.0}, {22.0, 10.0}, {-3.0, -10.0}}) {
        scene.addPole({x, y, 0.15, g, 3.5, 0.95});
    }
    return scene;
}

double SyntheticScene::groundReflectivity(double x, double y) {
    const double side = std::abs(y);
    const bool laneLine = side >= 1.6 && side <= 1.75 && std::fmod(std::abs(x), 6.0) < 3.0;
    return laneLine ? 0.9 : 0.12;
}

std::uint8_t SyntheticScene::intensityOf(double reflectivity, double cosIncidence, double range) {
    const double value =
        255.0 * reflectivity * (0.2 + 0.8 * std::abs(cosIncidence)) / (1.0 + range / 100.0);
    return static_cast<std::uint8_t>(std::clamp(std::lround(value), 1L, 255L));
}

std::optional<SyntheticScene::Hit> SyntheticScene::cast(const Vec3& d) const {
    double best = kMaxRange;
    double reflectivity = 0;
    double cosIncidence = 0;
    bool found = false;

    if (d.z < 0) {
        const double t = groundZ_ / d.z;
        if (t < best) {
            best = t;
            reflectivity = groundReflectivity(t * d.x, t * d.y);
            cosIncidence = -d.z;
            found = true;
        }
    }

    for (const Box& box : boxes_) {
        // Slabs: the ray is inside the box between the last entry and the
        // first exit over the three axes.
        double tNear = -std::numeric_limits<double>::infinity();
        double tFar = std::numeric_limits<double>::infinity();
        int entryAxis = -1;
        bool miss = false;
        for (int axis = 0; axis < 3 && !miss; ++axis) {
            const double dir = component(d, axis);
            const double lo = component(box.min, axis);
            const double hi = component(box.max, axis);
            if (std::abs(dir) < 1e-12) {
                miss = lo > 0 || hi < 0;
                continue;
            }
            double t1 = lo / dir;
            double t2 = hi / dir;
            if (t1 > t2) {
                std::swap(t1, t2);
            }
            if (t1 > tNear) {
                tNear = t1;
                entryAxis = axis;
            }
            tFar = std::min(tFar, t2);
            miss = tNear > tFar;
        }
        if (!miss && entryAxis >= 0 && tNear > 0 && tNear < best) {
            best = tNear;
            reflectivity = box.reflectivity;
            cosIncidence = component(d, entryAxis);
            found = true;
        }
    }

    for (const Pole& pole : poles_) {
        const double a = d.x * d.x + d.y * d.y;
        if (a < 1e-12) {
            continue;
        }
        const double b = -2 * (d.x * pole.x + d.y * pole.y);
        const double c = pole.x * pole.x + pole.y * pole.y - pole.radius * pole.radius;
        const double disc = b * b - 4 * a * c;
        if (disc < 0) {
            continue;
        }
        const double t = (-b - std::sqrt(disc)) / (2 * a);
        const double z = t * d.z;
        if (t > 0 && t < best && z >= pole.zMin && z <= pole.zMax) {
            best = t;
            reflectivity = pole.reflectivity;
            const double nx = (t * d.x - pole.x) / pole.radius;
            const double ny = (t * d.y - pole.y) / pole.radius;
            cosIncidence = d.x * nx + d.y * ny;
            found = true;
        }
    }

    if (!found) {
        return std::nullopt;
    }
    return Hit{best, intensityOf(reflectivity, cosIncidence, best)};
}

double SyntheticScene::distanceToSurface(const Vec3& p) const {
    double nearest = std::abs(p.z - groundZ_);
    for (const Box& box : boxes_) {
        const Vec3 below = box.min - p;
        const Vec3 above = p - box.max;
        const Vec3 outside{std::max({below.x, above.x, 0.0}), std::max({below.y, above.y, 0.0}),
                           std::max({below.z, above.z, 0.0})};
        const double outer = outside.length();
        const double inner = std::min({-below.x, -above.x, -below.y, -above.y, -below.z, -above.z});
        nearest = std::min(nearest, outer > 0 ? outer : inner);
    }
    for (const Pole& pole : poles_) {
        const double radial = std::hypot(p.x - pole.x, p.y - pole.y) - pole.radius;
        const double axial = std::max({pole.zMin - p.z, p.z - pole.zMax, 0.0});
        if (radial <= 0 && axial == 0) {
            nearest = std::min({nearest, -radial, p.z - pole.zMin, pole.zMax - p.z});
        } else {
            nearest = std::min(nearest, std::hypot(std::max(radial, 0.0), axial));
        }
    }
    return nearest;
}
