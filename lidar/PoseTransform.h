#pragma once

#include "lidar/ChannelGeometry.h"
#include "lidar/SensorPose.h"

#include <array>

// Places a sensor's points by its pose: rotated by roll about x, then pitch
// about y, then yaw about z, then moved by the pose's position. Built once
// per pose; a plain value, so the conversions that take one stay pure. The
// identity (a zero pose) leaves every point exactly as it is.
class PoseTransform {
public:
    PoseTransform() = default;
    explicit PoseTransform(const SensorPose& pose);

    bool isIdentity() const { return identity_; }

    PointXyz apply(const PointXyz& p) const {
        if (identity_) {
            return p;
        }
        const double x = p.x;
        const double y = p.y;
        const double z = p.z;
        return {static_cast<float>(r_[0] * x + r_[1] * y + r_[2] * z + t_[0]),
                static_cast<float>(r_[3] * x + r_[4] * y + r_[5] * z + t_[1]),
                static_cast<float>(r_[6] * x + r_[7] * y + r_[8] * z + t_[2])};
    }

private:
    bool identity_ = true;
    std::array<double, 9> r_{1, 0, 0, 0, 1, 0, 0, 0, 1}; // row-major
    std::array<double, 3> t_{};
};
