#include "lidar/ScreenSnap.h"

#include <cmath>

ScreenSnap::ScreenSnap(const std::array<double, 16>& worldToClip, int width, int height)
    : m_(worldToClip), width_(width), height_(height) {}

std::optional<ScreenSnap::OnScreen> ScreenSnap::project(float x, float y, float z) const {
    const auto row = [&](int r) {
        return m_[4 * r] * x + m_[4 * r + 1] * y + m_[4 * r + 2] * z + m_[4 * r + 3];
    };
    const double w = row(3);
    if (!(w > 0)) {
        return std::nullopt;
    }
    const double depth = row(2) / w;
    if (!(depth >= -1 && depth <= 1)) {
        return std::nullopt;
    }
    return OnScreen{(row(0) / w + 1) / 2 * width_, (row(1) / w + 1) / 2 * height_, depth};
}

std::optional<std::size_t> ScreenSnap::nearest(const Cloud& cloud, double x, double y,
                                               double radius) const {
    std::optional<std::size_t> best;
    double bestPixels = 0;
    double bestDepth = 0;
    for (std::size_t i = 0; i < cloud.size(); ++i) {
        const pcl::PointXYZRGB& p = cloud[i];
        const std::optional<OnScreen> s = project(p.x, p.y, p.z);
        if (!s) {
            continue;
        }
        const double d = std::hypot(s->x - x, s->y - y);
        if (d > radius) {
            continue;
        }
        const double pixels = std::floor(d);
        if (!best || pixels < bestPixels || (pixels == bestPixels && s->depth < bestDepth)) {
            best = i;
            bestPixels = pixels;
            bestDepth = s->depth;
        }
    }
    return best;
}
