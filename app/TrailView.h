#pragma once

#include "app/CloudView.h"
#include "lidar/FrameTrail.h"

#include <string>

// The frame trail in the 3D view: the frames before the newest stay on
// screen as clouds of their own ("trail_0" to "trail_8"), thinned, dimmer
// the older they are and drawn beneath the newer ones. The newest frame
// stays "realTime_points", so picking, the statistics and the list never see
// the older ones. A trail of 1 is the newest frame alone.
class TrailView {
public:
    explicit TrailView(CloudView& view);

    // 1..10 frames on screen; a shorter trail drops its oldest frames at
    // once, a longer one fills up as frames arrive.
    void setLength(int frames);
    int length() const { return trail_.length(); }
    int framesShown() const { return trail_.framesShown(); }

    // Called before the next frame replaces the one on screen, with the
    // cloud that shows it: that frame joins the trail. Nothing joins once
    // the view was cleared (the frame on screen is gone).
    void keepShown(const CloudView::Cloud::ConstPtr& shown);

    // Removes the older frames from the view.
    void clear();

    static std::string cloudId(int slot);
    // Every `every`-th point of `frame`, from the first.
    static CloudView::Cloud::ConstPtr thinned(const CloudView::Cloud& frame, int every);

private:
    void remove(const std::vector<int>& slots);

    CloudView& view_;
    FrameTrail trail_;
};
