#pragma once

#include <deque>
#include <optional>
#include <vector>

// The bookkeeping of a frame trail: the newest frame and up to length - 1
// frames before it stay on screen, the older ones dimmer and thinned, so
// that together they hold about a third of the newest frame's points.
// The older frames live in numbered slots (kept by the view); a frame that
// falls out of the trail gives its slot to the next one, so the trail never
// holds more than length frames.
class FrameTrail {
public:
    static constexpr int kMaxLength = 10;
    static constexpr int kSlots = kMaxLength - 1;

    // Clamped to 1..kMaxLength; returns the slots of the frames that no
    // longer fit (the oldest ones).
    std::vector<int> setLength(int length);
    int length() const { return length_; }

    // The frame on screen is about to be replaced: it becomes the newest of
    // the older frames. Returns the slot to keep it in (the oldest frame's
    // slot once the trail is full), or nothing at length 1.
    std::optional<int> keepNewest();

    // Forgets every older frame; returns their slots.
    std::vector<int> clear();

    // The slots of the older frames, the newest (age 1) first.
    const std::deque<int>& older() const { return older_; }
    // Frames on screen, the newest included.
    int framesShown() const { return 1 + static_cast<int>(older_.size()); }

    // How bright a frame of the given age (1 = the one before the newest)
    // is drawn: 1 for the newest, falling towards a quarter at the far end.
    static double brightness(int age, int length);
    // An older frame keeps every keptEvery(length)-th of its points: a full
    // trail draws about a third more points than the newest frame alone, so
    // that drawing it takes not much longer.
    static int keptEvery(int length);

private:
    int freeSlot() const;

    int length_ = 1;
    std::deque<int> older_;
};
