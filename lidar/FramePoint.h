#pragma once

#include <cstdint>
#include <pcl/point_cloud.h>
#include <pcl/register_point_struct.h>

// A point of a frame as it is saved in point-cloud files: x, y, z in metres
// as the display computes them, the intensity (0..255) as a float, as the
// point-cloud tools expect it, and the channel (0..127).
struct FramePoint {
    float x = 0;
    float y = 0;
    float z = 0;
    float intensity = 0;
    std::uint8_t channel = 0;
};

// clang-format off
POINT_CLOUD_REGISTER_POINT_STRUCT(FramePoint,
                                  (float, x, x)
                                  (float, y, y)
                                  (float, z, z)
                                  (float, intensity, intensity)
                                  (std::uint8_t, channel, channel))
// clang-format on

using FramePointCloud = pcl::PointCloud<FramePoint>;
