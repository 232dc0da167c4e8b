#pragma once

#include "tools/export/ExportOptions.h"
#include "tools/export/FrameOutput.h"
#include "tools/export/ProgressLine.h"

#include <QString>

// Feeds the frames of a capture file into an export output, cut as live
// reception cuts them: the points before the first marker are dropped, a
// frame is written at each following marker, and the points after the last
// marker form no frame. The first `skip` frames are passed over; then frames
// are written until the output has the wanted number, or to the end of the
// capture when all are wanted.
class CaptureExport {
public:
    CaptureExport(const ExportOptions& options, FrameOutput& output, ProgressLine& progress);

    // Reads the capture in one pass, opening the output (not yet open)
    // at its first data packet, and writes. Returns the failure as one line,
    // or an empty text on success. Frames written before a failure stay in
    // the file: a capture cut short or damaged, or one with fewer frames
    // than wanted, still gives what it holds. Once the wanted frames are
    // written the rest of the capture is not read.
    QString run();
    // The run ended early for a stop signal, with no failure.
    bool interrupted() const { return interrupted_; }

private:
    const ExportOptions& options_;
    FrameOutput& output_;
    ProgressLine& progress_;
    bool interrupted_ = false;
};
