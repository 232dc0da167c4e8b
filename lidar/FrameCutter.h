#pragma once

#include "lidar/DataPacket.h"
#include "lidar/MuchLidarData.h"

// Cuts the stream of point groups into frames at the frame markers. One
// instance per producer (live receiver, capture player, export tool); each
// feeds it whole 1206-byte payloads in stream order.
//
// markerCount is 0 until the first marker (points are dropped), then 1
// while a frame is collected; the marker that would make it 2 hands the
// frame out and starts the next one.
class FrameCutter {
public:
    explicit FrameCutter(int markerCount = 0) : markerCount_(markerCount) {}

    // Clears the working frame. 0 drops points until the next marker; 1
    // collects from the next group on.
    void reset(int markerCount) {
        frame_.clear();
        markerCount_ = markerCount;
    }

    int markerCount() const { return markerCount_; }
    const MuchLidarData& workingFrame() const { return frame_; }

    // Scans the groups of one payload (at least DataPacket::kGroupBytes
    // bytes; the trailer is never looked at). `onFrame(const MuchLidarData&)`
    // is called for each completed frame, before the rest of the payload is
    // scanned; the working frame is cleared after it returns.
    template <class OnFrame>
    void feed(const std::uint8_t* payload, OnFrame&& onFrame) {
        for (std::size_t p = 0; p < DataPacket::kGroupBytes; p += DataPacket::kGroupSize) {
            const std::uint8_t* group = payload + p;
            if (DataPacket::isFrameMarker(group)) {
                if (++markerCount_ == 1) {
                    frame_.clear();
                }
            }
            if (markerCount_ == 2) {
                onFrame(static_cast<const MuchLidarData&>(frame_));
                frame_.clear();
                markerCount_ = 1;
            }
            if (markerCount_ == 1 && group[0] != DataPacket::kNoPoint) {
                DataPacket::decodeGroup(group, frame_);
            }
        }
    }

private:
    MuchLidarData frame_;
    int markerCount_;
};
