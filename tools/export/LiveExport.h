#pragma once

#include "lidar/CsvExportFile.h"
#include "tools/export/ExportOptions.h"

#include <QString>

// Feeds live frames from the data port into an export file, with the
// viewer's own receiver thread, until the file has all its frames.
class LiveExport {
public:
    LiveExport(const ExportOptions& options, CsvExportFile& file);

    // Runs an event loop until the export is complete or has failed.
    // Returns the failure as one line, or an empty text on success.
    QString run();

private:
    const ExportOptions& options_;
    CsvExportFile& file_;
};
