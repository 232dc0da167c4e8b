#pragma once

#include <array>
#include <pcl/point_cloud.h>
#include <pcl/point_types.h>
#include <vector>

// A pixel of the view, the origin at the bottom left.
struct ViewPoint {
    int x = 0;
    int y = 0;
};

// A rectangle dragged over the view, in the view's pixels with the origin at
// the bottom left; the corners come in any order.
struct ViewRectangle {
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;
};

// The points a rectangle of the view encloses: every point inside the
// frustum through the rectangle, between the near and the far clipping
// plane, hidden behind others or not. A rectangle of no width or height is
// one pixel wide or high. This is the set the visualizer's own area pick
// returns, found here with the camera's projection instead of the
// visualizer's frustum extraction.
class FrustumPick {
public:
    // `worldToClip` is the camera's view and projection for the view's
    // aspect, row-major, mapping the near and far planes to clip z -1 and 1
    // (as for OpenGL); `width` and `height` are the view's size in pixels.
    FrustumPick(const std::array<double, 16>& worldToClip, int width, int height,
                ViewRectangle rectangle);

    bool contains(float x, float y, float z) const;
    // The indices of the cloud's points inside, ascending.
    std::vector<int> indices(const pcl::PointCloud<pcl::PointXYZRGB>& cloud) const;

private:
    std::array<double, 16> m_;
    // The rectangle in normalised device coordinates (-1 to 1 across the view).
    double left_ = 0;
    double right_ = 0;
    double bottom_ = 0;
    double top_ = 0;
};
