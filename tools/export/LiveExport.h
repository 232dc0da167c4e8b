#pragma once

#include "platform/StopSignals.h"
#include "tools/export/ExportOptions.h"
#include "tools/export/FrameOutput.h"

#include <QString>

// Feeds live frames from the data port into an export output, with the
// viewer's own receiver thread, until the output has all its frames. A
// frame's time is the moment it is taken from the receiver. A stop signal
// ends the run between two frames.
class LiveExport {
public:
    LiveExport(const ExportOptions& options, FrameOutput& output, StopSignals& stop);

    // Runs an event loop until the export is complete, has failed or was
    // stopped. Returns the failure as one line, or an empty text.
    QString run();
    // The run ended early for a stop signal, with no failure.
    bool interrupted() const { return interrupted_; }

private:
    const ExportOptions& options_;
    FrameOutput& output_;
    StopSignals& stop_;
    bool interrupted_ = false;
};
