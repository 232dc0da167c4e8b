#pragma once

#include "tools/export/ExportOptions.h"
#include "tools/export/ProgressLine.h"
#include "tools/export/SensorOutputs.h"

#include <QString>

// Feeds the frames of a capture file into the outputs of an export, each
// sensor's cut from its own datagrams as live reception cuts them: the
// points before a sensor's first marker are dropped, a frame is written at
// each following marker, and the points after its last marker form no
// frame. The first `skip` frames of each sensor are passed over; then frames
// are written until every sensor's output has the wanted number, or to the
// end of the capture when all are wanted.
class CaptureExport {
public:
    CaptureExport(const ExportOptions& options, SensorOutputs& output, ProgressLine& progress);

    // Reads the capture in one pass and writes. Returns the failure as one
    // line, or an empty text on success. Frames written before a failure
    // stay in the files: a capture cut short or damaged, or one with fewer
    // frames than wanted, still gives what it holds. Once the wanted frames
    // are written the rest of the capture is not read.
    QString run();
    // The run ended early for a stop signal, with no failure.
    bool interrupted() const { return interrupted_; }

    // The sensors of the capture with their data packets and whole frames,
    // one line each, into `listing`; returns the failure, or an empty text.
    static QString listSensors(const QString& capture, QString& listing);

private:
    const ExportOptions& options_;
    SensorOutputs& output_;
    ProgressLine& progress_;
    bool interrupted_ = false;
};
