#pragma once

// The frame position of playback, moved by one for every frame shown while
// playback is active.
struct PlaybackPosition {
    bool playbackActive = false;
    bool movingForward = true;
    bool movingBackward = false;
    int currentFrame = 0;
    bool sliderDragging = false; // the slider shows the user's drag, not the position

    // Returns whether currentFrame changed.
    bool advance() {
        if (!playbackActive) {
            return false;
        }
        const int before = currentFrame;
        if (movingBackward) {
            --currentFrame;
        }
        if (movingForward) {
            ++currentFrame;
        }
        return currentFrame != before;
    }
};
