#pragma once

#include <atomic>

// The playback state the GUI thread writes and the capture player reads
// once per packet or per frame (the player writes stepDirection back to +1
// at its stop points).
struct PlaybackVariables {
    // +1 plays forward, -1 backward.
    std::atomic<int> stepDirection{1};
    // 1: go back to the first packet, report a stop point and wait.
    std::atomic<int> restartRequested{0};
    // Selects the delay after each frame: 0 normal, 1 2x, 2 3x, 3 0.5x,
    // anything else 0.25x.
    std::atomic<int> speedIndex{0};
    // 1: close the gate after each emitted frame (single steps).
    std::atomic<int> pauseAfterFrame{0};

    // Milliseconds to wait after each frame at `speedIndex`.
    static int frameDelayMs(int speedIndex) {
        switch (speedIndex) {
        case 0:
            return 80;
        case 1:
            return 40;
        case 2:
            return 25;
        case 3:
            return 100;
        default:
            return 110;
        }
    }
};
