#pragma once

#include "lidar/FrameCutter.h"
#include "lidar/MuchLidarData.h"
#include "python/SensorAddress.h"

#include <cstdint>
#include <vector>

// The frame source of the Python module: the data payloads of a stream, in
// order, each with the sensor that sent it, become frames, each with its
// sensor.
//
// For now a stream is taken to be one sensor's: every payload goes into one
// cutter, and the sensor is named after the sender of the first payload.
class SensorFrames {
public:
    struct Sensor {
        SensorAddress address;
        std::uint64_t datagrams = 0;
        int frames = 0; // whole frames
    };

    // Only the points of these channels are decoded.
    void setChannelFilter(const FrameCutter::ChannelFlags& channels) {
        cutter_.setChannelFilter(channels);
    }

    // Calls `onFrame(const SensorAddress&, const MuchLidarData&)` for each
    // frame that `payload` completes. onFrame may change the channel filter.
    template <class OnFrame>
    void feed(const SensorAddress& source, const std::uint8_t* payload, OnFrame&& onFrame) {
        if (sensor_.datagrams++ == 0) {
            sensor_.address = source;
        }
        cutter_.feed(payload, [&](const MuchLidarData& frame) {
            ++sensor_.frames;
            onFrame(static_cast<const SensorAddress&>(sensor_.address), frame);
        });
    }

    // The frame that the payloads now being fed belong to, counted from 1;
    // 0 before the first frame marker.
    int currentFrame() const { return sensor_.frames + cutter_.markerCount(); }

    // The sensors heard so far, with their datagrams and whole frames.
    std::vector<Sensor> sensors() const {
        return sensor_.datagrams > 0 ? std::vector<Sensor>{sensor_} : std::vector<Sensor>{};
    }

private:
    FrameCutter cutter_;
    Sensor sensor_;
};
