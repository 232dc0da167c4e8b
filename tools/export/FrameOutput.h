#pragma once

#include "lidar/MuchLidarData.h"
#include "tools/export/ExportOptions.h"

#include <QString>
#include <cstdint>
#include <memory>

// Where lidar-export writes the frames it takes, in one of its formats.
// Every format numbers the frames as they are handed in, from 1, and is
// complete once the wanted number have been written (ExportFrameNumbers).
// Every file is written under NAME.part and named once whole (PartFile).
// An output owns its files and nothing else: several can be open at once.
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
    // The run was stopped before the output had its frames: a file left
    // open is finished as far as it goes but keeps its part name, which
    // writtenTo() then gives. Files already named stay.
    virtual bool keep() = 0;
    // The run failed before it wrote a frame: nothing of the output stays.
    virtual void discard() = 0;

    virtual bool complete() const = 0;
    virtual int framesWritten() const = 0;
    virtual int framesWanted() const = 0;
    virtual std::uint64_t pointsWritten() const = 0;
    // What was written, for the closing line: "street.mcap", or
    // "street.mcap.part" once kept.
    virtual QString writtenTo() const = 0;
    // The file and the reason of the last failure.
    virtual QString error() const = 0;
};
