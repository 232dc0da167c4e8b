#pragma once

#include "lidar/SensorTable.h"
#include "python/FramePoints.h"
#include "python/FrameQueue.h"
#include "python/FrameSelection.h"
#include "python/SourceFilter.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

class GetMuch;

// Live frames for Python from the viewer's own receiver (GetMuch), one
// sensor's or every sensor's, each numbered among its sensor's frames from 1
// as lidar-export numbers them, and timed when it was received. Each frame
// is turned into array rows on the receiver's thread and queued; while the
// queue is full the receiver waits, and the socket's buffer holds what
// arrives meanwhile. With a count the frames end once every sensor heard
// (the one of the source) has given it.
class LiveFrames {
public:
    // `group` empty: no multicast group.
    LiveFrames(int port, const std::string& group, const FrameSelection& selection,
               FrameQueue& queue);
    ~LiveFrames();
    LiveFrames(const LiveFrames&) = delete;
    LiveFrames& operator=(const LiveFrames&) = delete;

    void start();
    // The port bound once the receiver is ready; 0 before, and for good when
    // it could not bind (the queue then says why).
    int boundPort() const;
    // Datagrams the system dropped on the receiver's socket, -1 while unknown.
    std::int64_t kernelDrops() const;
    // Stops the receiver and waits for it.
    void stop();

    // The sensors whose frames were queued.
    int sensorsTaken() const { return sensorsTaken_.load(); }
    // Why no frame was queued when the selection's source is no sensor
    // heard, as lidar-export says it; empty otherwise.
    std::string missingSource() const;

private:
    void take(const MuchLidarData& frame);
    // Every sensor heard has given the frames counted.
    bool everySensorDone() const;

    FrameSelection selection_;
    FrameQueue& queue_;
    FramePoints points_;
    std::unique_ptr<GetMuch> receiver_;
    // On the receiver's thread only.
    SourceFilter source_;
    SensorTable taken_;
    std::array<int, SensorTable::kMaxSensors> framesTaken_{}; // by sensor of taken_
    std::atomic<int> sensorsTaken_{0};
    std::atomic<bool> sourceFound_{false};
    std::atomic<bool> stopping_{false};
};
