#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

// Spots frames that lost (or gained) points: a frame whose point count
// differs by more than 10% from the median of the frames before it (the
// last 20) is odd. A sensor's frames hold nearly the same number of points,
// so an odd frame is a sign of lost datagrams. Frames are judged once 5 are
// known; every frame joins the history, so a lasting change (another motor
// speed) is the new normal after some frames.
class PointCountWatch {
public:
    static constexpr std::size_t kHistory = 20;
    static constexpr std::size_t kMinimumHistory = 5;
    static constexpr double kTolerance = 0.10;

    // True when the frame is odd.
    bool add(std::size_t points);
    // Since construction.
    std::uint64_t oddFrames() const { return odd_; }
    // Forgets the history (frames of another source follow); the count stays.
    void forgetHistory() { recent_.clear(); }

private:
    double median() const;

    std::deque<std::size_t> recent_;
    std::uint64_t odd_ = 0;
};
