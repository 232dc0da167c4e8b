#include "lidar/PoseTransform.h"

#include <cmath>

PoseTransform::PoseTransform(const SensorPose& pose) : identity_(pose.isIdentity()) {
    constexpr double kRadian = 3.14159265358979323846 / 180;
    const double cr = std::cos(pose[SensorPose::Roll] * kRadian);
    const double sr = std::sin(pose[SensorPose::Roll] * kRadian);
    const double cp = std::cos(pose[SensorPose::Pitch] * kRadian);
    const double sp = std::sin(pose[SensorPose::Pitch] * kRadian);
    const double cy = std::cos(pose[SensorPose::Yaw] * kRadian);
    const double sy = std::sin(pose[SensorPose::Yaw] * kRadian);
    // Rz(yaw) * Ry(pitch) * Rx(roll).
    r_ = {cy * cp,
          cy * sp * sr - sy * cr,
          cy * sp * cr + sy * sr,
          sy * cp,
          sy * sp * sr + cy * cr,
          sy * sp * cr - cy * sr,
          -sp,
          cp * sr,
          cp * cr};
    t_ = {pose[SensorPose::X], pose[SensorPose::Y], pose[SensorPose::Z]};
}
