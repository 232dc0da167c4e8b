#pragma once

#include "python/FramePoints.h"
#include "python/FrameQueue.h"
#include "python/FrameSelection.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

class GetMuch;

// Live frames for Python from the viewer's own receiver (GetMuch), numbered
// from 1 as lidar-export numbers them and timed when they were received.
// Each frame is turned into array rows on the receiver's thread and queued;
// while the queue is full the receiver waits, and the socket's buffer holds
// what arrives meanwhile.
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

private:
    void take(const MuchLidarData& frame);

    FrameSelection selection_;
    FrameQueue& queue_;
    FramePoints points_;
    std::unique_ptr<GetMuch> receiver_;
    int framesTaken_ = 0; // on the receiver's thread only
    std::atomic<bool> stopping_{false};
};
