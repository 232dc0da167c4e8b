#include "lidar/FrustumPick.h"

#include <algorithm>

FrustumPick::FrustumPick(const std::array<double, 16>& worldToClip, int width, int height,
                         ViewRectangle r)
    : m_(worldToClip) {
    int x0 = std::min(r.x0, r.x1);
    int x1 = std::max(r.x0, r.x1);
    int y0 = std::min(r.y0, r.y1);
    int y1 = std::max(r.y0, r.y1);
    x1 += x0 == x1 ? 1 : 0;
    y1 += y0 == y1 ? 1 : 0;
    if (width <= 0 || height <= 0) {
        // Nothing is inside: the right edge lies left of the left one.
        left_ = 1;
        right_ = -1;
        return;
    }
    // Display x = (ndc + 1) * width / 2, the same for y.
    left_ = 2.0 * x0 / width - 1;
    right_ = 2.0 * x1 / width - 1;
    bottom_ = 2.0 * y0 / height - 1;
    top_ = 2.0 * y1 / height - 1;
}

bool FrustumPick::contains(float xf, float yf, float zf) const {
    const double x = xf;
    const double y = yf;
    const double z = zf;
    const double w = m_[12] * x + m_[13] * y + m_[14] * z + m_[15];
    if (!(w > 0)) {
        return false; // at or behind the eye
    }
    const double cx = m_[0] * x + m_[1] * y + m_[2] * z + m_[3];
    const double cy = m_[4] * x + m_[5] * y + m_[6] * z + m_[7];
    const double cz = m_[8] * x + m_[9] * y + m_[10] * z + m_[11];
    // The bounds scaled by w instead of a division per point.
    return left_ * w <= cx && cx <= right_ * w && bottom_ * w <= cy && cy <= top_ * w && -w <= cz &&
           cz <= w;
}

std::vector<int> FrustumPick::indices(const pcl::PointCloud<pcl::PointXYZRGB>& cloud) const {
    std::vector<int> inside;
    const auto n = static_cast<int>(cloud.size());
    for (int i = 0; i < n; ++i) {
        const pcl::PointXYZRGB& p = cloud[static_cast<std::size_t>(i)];
        if (contains(p.x, p.y, p.z)) {
            inside.push_back(i);
        }
    }
    return inside;
}
