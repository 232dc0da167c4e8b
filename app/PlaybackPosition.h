#pragma once

#include <optional>

// The frame position of playback: the index of the capture frame on screen,
// as the player numbers each frame it sends.
struct PlaybackPosition {
    int currentFrame = 0;
    bool sliderDragging = false; // the slider shows the user's drag, not the position
    // The number the player gave the frame on its way to the window.
    std::optional<int> arrivingFrame;

    // The arriving frame is the capture's first: the points before its first
    // marker, which begin wherever the recording began.
    bool arrivingAtCaptureStart() const { return arrivingFrame == 0; }

    // A frame is shown: returns whether it was a capture frame, whose number
    // is now currentFrame.
    bool advance() {
        if (!arrivingFrame) {
            return false;
        }
        currentFrame = *arrivingFrame;
        arrivingFrame.reset();
        return true;
    }
};
