#include "lidar/PointCountWatch.h"

#include <algorithm>
#include <cmath>
#include <vector>

bool PointCountWatch::add(std::size_t points) {
    bool odd = false;
    if (recent_.size() >= kMinimumHistory) {
        const double m = median();
        odd = std::abs(static_cast<double>(points) - m) > kTolerance * m;
    }
    odd_ += odd ? 1 : 0;
    recent_.push_back(points);
    if (recent_.size() > kHistory) {
        recent_.pop_front();
    }
    return odd;
}

double PointCountWatch::median() const {
    std::vector<std::size_t> sorted(recent_.begin(), recent_.end());
    std::sort(sorted.begin(), sorted.end());
    const std::size_t n = sorted.size();
    return n % 2 == 1 ? static_cast<double>(sorted[n / 2])
                      : (static_cast<double>(sorted[n / 2 - 1]) + sorted[n / 2]) / 2;
}
