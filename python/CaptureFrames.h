#pragma once

#include "capture/ReadOnlyFile.h"
#include "python/FramePoints.h"
#include "python/FrameQueue.h"
#include "python/FrameSelection.h"
#include "python/SensorFrames.h"

#include <QString>
#include <atomic>
#include <memory>
#include <vector>

// The frames of a capture file for Python, cut and numbered as lidar-export
// cuts and numbers them from a capture: one pass over the file's data
// packets (CapturePacketStream), each sensor's frames from its first frame
// marker on, in the order they end in the file, the skipped ones cut
// without decoding a point, and no further than the last frame wanted.
class CaptureFrames {
public:
    // The whole capture counted.
    struct Census {
        std::vector<SensorCounts> sensors; // first heard first
        QString error;
    };

    // Reads `path` up to its first data packet: the file must be a capture
    // and hold one. The error for the user; empty when the capture can be
    // read. Setting `cancel` ends the reading with an error.
    static QString open(const ReadOnlyFile& file, const QString& path,
                        const std::atomic<bool>& cancel);
    // Counts the sensors, datagrams and whole frames of the capture without
    // decoding a point.
    static Census census(const ReadOnlyFile& file, const QString& path,
                         const std::atomic<bool>& cancel);

    CaptureFrames(std::shared_ptr<const ReadOnlyFile> file, QString path, FrameSelection selection,
                  FrameQueue& queue);

    // Reads the capture and queues the selected frames, then finishes the
    // queue: with the user's text of a failure (the file damaged or
    // shortened since it was opened), or with the notice of a capture cut
    // short, whose frames before the cut come first. Stops early once the
    // queue is closed.
    void run();

private:
    std::shared_ptr<const ReadOnlyFile> file_;
    QString path_;
    FrameSelection selection_;
    FrameQueue& queue_;
    FramePoints points_;
};
