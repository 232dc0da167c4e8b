#include "lidar/FrameTrail.h"

#include <algorithm>

std::vector<int> FrameTrail::setLength(int length) {
    length_ = std::clamp(length, 1, kMaxLength);
    std::vector<int> dropped;
    while (framesShown() > length_) {
        dropped.push_back(older_.back());
        older_.pop_back();
    }
    return dropped;
}

std::optional<int> FrameTrail::keepNewest() {
    if (length_ == 1) {
        return std::nullopt;
    }
    int slot = 0;
    if (framesShown() == length_) {
        slot = older_.back();
        older_.pop_back();
    } else {
        slot = freeSlot();
    }
    older_.push_front(slot);
    return slot;
}

std::vector<int> FrameTrail::clear() {
    std::vector<int> dropped(older_.begin(), older_.end());
    older_.clear();
    return dropped;
}

double FrameTrail::brightness(int age, int length) {
    return 1.0 - 0.75 * age / std::max(length, 1);
}

int FrameTrail::keptEvery(int length) {
    return std::max(3 * (length - 1), 1);
}

int FrameTrail::freeSlot() const {
    for (int slot = 0; slot < kSlots; ++slot) {
        if (std::find(older_.begin(), older_.end(), slot) == older_.end()) {
            return slot;
        }
    }
    return 0; // not reached: fewer than kSlots frames are kept here
}
