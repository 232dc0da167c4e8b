#pragma once

#include "lidar/MuchLidarData.h"
#include "tools/export/ExportOptions.h"

#include <QString>
#include <cstdint>
#include <memory>

// Where lidar-export writes the frames it takes, in one of its formats.
// Every format numbers the frames as they are handed in, from 1, and is
// complete once the wanted number have been written (ExportFrameNumbers).
class FrameOutput {
public:
    virtual ~FrameOutput() = default;

    // The output of `options.format`, with its channels and azimuth window.
    static std::unique_ptr<FrameOutput> create(const ExportOptions& options);

    // Prepares the output named on the command line; false when it cannot
    // be written (error() says why).
    virtual bool open(const QString& output) = 0;
    // Writes a frame that was captured (or received) at `time`, in
    // nanoseconds since 1970. Frames beyond the wanted number are ignored.
    virtual bool writeFrame(const MuchLidarData& frame, std::int64_t time) = 0;
    // Ends the output: a file left open is finished and given its name. A
    // file whose writing failed is removed instead, never left looking
    // whole.
    virtual bool close() = 0;

    virtual bool complete() const = 0;
    virtual int framesWritten() const = 0;
    virtual int framesWanted() const = 0;
    virtual std::uint64_t pointsWritten() const = 0;
    // What was written, for the closing line: "street.mcap".
    virtual QString writtenTo() const = 0;
    // The file and the reason of the last failure.
    virtual QString error() const = 0;
};
