#pragma once

#include "tools/export/ExportOptions.h"
#include "tools/export/FrameOutput.h"

#include <QString>

// Feeds live frames from the data port into an export output, with the
// viewer's own receiver thread, until the output has all its frames. A
// frame's time is the moment it is taken from the receiver.
class LiveExport {
public:
    LiveExport(const ExportOptions& options, FrameOutput& output);

    // Runs an event loop until the export is complete or has failed.
    // Returns the failure as one line, or an empty text on success.
    QString run();

private:
    const ExportOptions& options_;
    FrameOutput& output_;
};
