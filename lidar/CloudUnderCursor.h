#pragma once

#include "lidar/FrustumPick.h"
#include "lidar/ScreenSnap.h"

#include <optional>
#include <vector>

// Which of several clouds on screen (one per sensor) the user points at,
// for tools that work on one sensor's points while all are shown.
namespace CloudUnderCursor {

using Cloud = pcl::PointCloud<pcl::PointXYZRGB>;

// An area pick: the cloud of the first point picked, which is, of the points
// inside `frustum`, the one that shows nearest to `start` (the corner where
// the drag began; nearer the camera among those equally near). Nothing when
// the frustum holds no point. Null clouds are skipped.
std::optional<std::size_t> ofArea(const std::vector<const Cloud*>& clouds,
                                  const FrustumPick& frustum, const ScreenSnap& snap,
                                  ViewPoint start);

// A click at (x, y) in view pixels: the cloud whose point shows nearest,
// at most `radius` pixels away, as ScreenSnap::nearest takes a point.
std::optional<std::size_t> ofClick(const std::vector<const Cloud*>& clouds, const ScreenSnap& snap,
                                   double x, double y, double radius);

} // namespace CloudUnderCursor
