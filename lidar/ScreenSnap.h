#pragma once

#include <array>
#include <optional>
#include <pcl/point_cloud.h>
#include <pcl/point_types.h>

// Which point of a cloud shows nearest to a place on screen, for tools that
// take a point of the frame under the cursor.
class ScreenSnap {
public:
    using Cloud = pcl::PointCloud<pcl::PointXYZRGB>;

    // `worldToClip` is the camera's row-major 4x4 projection from world to
    // clip coordinates (a point is in view when x, y and z divided by w lie
    // in -1..1); the view is `width` x `height` pixels.
    ScreenSnap(const std::array<double, 16>& worldToClip, int width, int height);

    struct OnScreen {
        double x = 0;     // pixels from the left
        double y = 0;     // pixels from the bottom
        double depth = 0; // -1 at the near plane, 1 at the far one
    };
    // Where a world point shows, or nothing when it lies behind the camera
    // or beyond the near or far plane.
    std::optional<OnScreen> project(float x, float y, float z) const;

    // The point that shows nearest to (x, y), at most `radius` pixels away.
    // Points within the same whole pixel of distance go to the one nearer
    // the camera, so a click on an object takes the object and not what
    // shows through it. Nothing when no point is that near.
    std::optional<std::size_t> nearest(const Cloud& cloud, double x, double y, double radius) const;

private:
    std::array<double, 16> m_;
    int width_;
    int height_;
};
