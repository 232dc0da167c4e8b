#pragma once

#include "lidar/DataPacket.h"
#include "lidar/MuchLidarData.h"

#include <array>

// Cuts the stream of point groups into frames at the frame markers. One
// instance per producer (live receiver, capture player, export tool); each
// feeds it whole 1206-byte payloads in stream order.
//
// markerCount is 0 until the first marker (points are dropped), then 1
// while a frame is collected; the marker that would make it 2 hands the
// frame out and starts the next one.
//
// A channel filter keeps the points of the wanted channels only: the others
// are passed over on their channel byte, never decoded or stored. Markers,
// frame boundaries and the number of frames are the same with any filter.
class FrameCutter {
public:
    using ChannelFlags = std::array<bool, DataPacket::kChannelCount>;

    explicit FrameCutter(int markerCount = 0) : markerCount_(markerCount) {
        ChannelFlags all{};
        all.fill(true);
        setChannelFilter(all);
    }

    // Keeps the points of the channels flagged true; every channel by
    // default. May be called from onFrame: it applies from the next group.
    void setChannelFilter(const ChannelFlags& wanted) {
        wanted_ = wanted;
        actions_.fill(kPass);
        actions_[DataPacket::kNoPoint] = kMarkerOrEmpty;
        updateActions();
    }

    // Clears the working frame. 0 drops points until the next marker; 1
    // collects from the next group on.
    void reset(int markerCount) {
        frame_.clear();
        markerCount_ = markerCount;
        updateActions();
    }

    // The sensor whose datagrams this cutter is fed; every frame carries it.
    void setSensor(const SensorId& sensor) { frame_.sensor = sensor; }

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
            // One look-up per group; most groups of an unwanted channel end here.
            switch (actions_[group[0]]) {
            case kPass:
                break;
            case kDecode:
                DataPacket::decodeGroup(group, frame_);
                break;
            case kMarkerOrEmpty:
                if (DataPacket::isFrameMarker(group)) {
                    passMarker(onFrame);
                }
                break;
            }
        }
    }

private:
    enum Action : std::uint8_t { kPass, kDecode, kMarkerOrEmpty };

    template <class OnFrame>
    void passMarker(OnFrame& onFrame) {
        if (++markerCount_ == 1) {
            frame_.clear();
        } else if (markerCount_ == 2) {
            onFrame(static_cast<const MuchLidarData&>(frame_));
            frame_.clear();
            markerCount_ = 1;
        }
        updateActions();
    }

    // Points are decoded only while a frame is collected.
    void updateActions() {
        for (int c = 0; c < DataPacket::kChannelCount; ++c) {
            actions_[static_cast<std::size_t>(c)] =
                markerCount_ == 1 && wanted_[static_cast<std::size_t>(c)] ? kDecode : kPass;
        }
    }

    MuchLidarData frame_;
    int markerCount_;
    ChannelFlags wanted_{};
    // Indexed by a group's first byte. Channel bytes 128..254 lie outside
    // every per-channel table and are passed over.
    std::array<Action, 256> actions_{};
};
