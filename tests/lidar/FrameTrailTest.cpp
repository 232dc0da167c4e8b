#include "lidar/FrameTrail.h"

#include <algorithm>
#include <gtest/gtest.h>

TEST(FrameTrail, HoldsAtMostItsLengthAndDropsTheOldestFrameFirst) {
    FrameTrail trail;
    EXPECT_FALSE(trail.keepNewest()); // length 1: the newest frame alone
    EXPECT_EQ(trail.framesShown(), 1);

    trail.setLength(3);
    const auto first = trail.keepNewest();
    const auto second = trail.keepNewest();
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    EXPECT_EQ(trail.framesShown(), 3);
    // Frame 4: the oldest kept frame gives up its slot.
    EXPECT_EQ(trail.keepNewest(), first);
    EXPECT_EQ(trail.older(), (std::deque<int>{*first, *second}));
    EXPECT_EQ(trail.framesShown(), 3);

    // Shorter: the oldest go; longer: room for more, nothing comes back.
    EXPECT_EQ(trail.setLength(2), std::vector<int>{*second});
    trail.setLength(FrameTrail::kMaxLength + 5);
    EXPECT_EQ(trail.length(), FrameTrail::kMaxLength);
    for (int i = 0; i < 30; ++i) {
        trail.keepNewest();
    }
    EXPECT_EQ(trail.framesShown(), FrameTrail::kMaxLength);
    std::deque<int> used = trail.older();
    std::sort(used.begin(), used.end());
    EXPECT_EQ(std::unique(used.begin(), used.end()), used.end()); // each slot once
    EXPECT_EQ(trail.clear().size(), static_cast<std::size_t>(FrameTrail::kSlots));
    EXPECT_EQ(trail.framesShown(), 1);
}

TEST(FrameTrail, OlderFramesAreDimmer) {
    for (const int length : {2, 5, 10}) {
        double previous = 1.0;
        for (int age = 1; age < length; ++age) {
            const double b = FrameTrail::brightness(age, length);
            EXPECT_LT(b, previous);
            EXPECT_GE(b, 0.25);
            previous = b;
        }
    }
}

TEST(FrameTrail, OlderFramesTogetherHoldAboutAThirdOfAFramesPoints) {
    constexpr int kFrame = 180461; // sensor-sim's street at 0.2 degrees
    for (int length = 2; length <= FrameTrail::kMaxLength; ++length) {
        const int every = FrameTrail::keptEvery(length);
        const int keptPerFrame = (kFrame + every - 1) / every;
        const int older = (length - 1) * keptPerFrame;
        EXPECT_LE(older, kFrame / 3 + length) << length;
        EXPECT_GE(older, kFrame / 4) << length; // and still fill in the scene
    }
    EXPECT_EQ(FrameTrail::keptEvery(1), 1);
}
