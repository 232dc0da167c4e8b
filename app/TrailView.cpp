#include "app/TrailView.h"

#include <pcl/visualization/pcl_visualizer.h>

TrailView::TrailView(CloudView& view) : view_(view) {}

std::string TrailView::cloudId(int slot) {
    return "trail_" + std::to_string(slot);
}

void TrailView::setLength(int frames) {
    remove(trail_.setLength(frames));
    view_.render();
}

void TrailView::keepShown(const CloudView::Cloud::ConstPtr& shown) {
    if (trail_.length() == 1) {
        return;
    }
    if (!view_.viewer()->contains(CloudView::kFrameCloudId)) {
        // Cleared: the older frames went with it.
        remove(trail_.clear());
        return;
    }
    const std::optional<int> slot = trail_.keepNewest();
    if (!slot) {
        return;
    }
    view_.showCloud(thinned(*shown, FrameTrail::keptEvery(trail_.length())), cloudId(*slot));
    std::vector<std::string> oldestFirst;
    int age = 1;
    for (const int older : trail_.older()) {
        view_.setBrightness(cloudId(older), FrameTrail::brightness(age++, trail_.length()));
        oldestFirst.insert(oldestFirst.begin(), cloudId(older));
    }
    // Where points of two frames meet, the one drawn last shows: the newest
    // frame over the older ones, each older one over those before it.
    view_.drawFirst(oldestFirst);
}

CloudView::Cloud::ConstPtr TrailView::thinned(const CloudView::Cloud& frame, int every) {
    CloudView::Cloud::Ptr kept(new CloudView::Cloud);
    kept->reserve(frame.size() / static_cast<std::size_t>(every) + 1);
    for (std::size_t i = 0; i < frame.size(); i += static_cast<std::size_t>(every)) {
        kept->push_back(frame[i]);
    }
    return kept;
}

void TrailView::clear() {
    remove(trail_.clear());
}

void TrailView::remove(const std::vector<int>& slots) {
    for (const int slot : slots) {
        view_.removeCloud(cloudId(slot));
    }
}
