#include "lidar/CloudUnderCursor.h"

#include <cmath>

namespace CloudUnderCursor {

namespace {

// The best point so far: nearest in whole pixels, then nearest the camera.
struct Nearest {
    std::optional<std::size_t> cloud;
    double pixels = 0;
    double depth = 0;

    void offer(std::size_t c, const ScreenSnap::OnScreen& s, double x, double y) {
        const double pixels = std::floor(std::hypot(s.x - x, s.y - y));
        if (!cloud || pixels < this->pixels || (pixels == this->pixels && s.depth < depth)) {
            cloud = c;
            this->pixels = pixels;
            depth = s.depth;
        }
    }
};

} // namespace

std::optional<std::size_t> ofArea(const std::vector<const Cloud*>& clouds,
                                  const FrustumPick& frustum, const ScreenSnap& snap,
                                  ViewPoint start) {
    Nearest best;
    for (std::size_t c = 0; c < clouds.size(); ++c) {
        if (clouds[c] == nullptr) {
            continue;
        }
        for (const pcl::PointXYZRGB& p : clouds[c]->points) {
            if (!frustum.contains(p.x, p.y, p.z)) {
                continue;
            }
            if (const std::optional<ScreenSnap::OnScreen> s = snap.project(p.x, p.y, p.z)) {
                best.offer(c, *s, start.x, start.y);
            }
        }
    }
    return best.cloud;
}

std::optional<std::size_t> ofClick(const std::vector<const Cloud*>& clouds, const ScreenSnap& snap,
                                   double x, double y, double radius) {
    Nearest best;
    for (std::size_t c = 0; c < clouds.size(); ++c) {
        if (clouds[c] == nullptr) {
            continue;
        }
        if (const std::optional<std::size_t> i = snap.nearest(*clouds[c], x, y, radius)) {
            const pcl::PointXYZRGB& p = (*clouds[c])[*i];
            best.offer(c, *snap.project(p.x, p.y, p.z), x, y);
        }
    }
    return best.cloud;
}

} // namespace CloudUnderCursor
