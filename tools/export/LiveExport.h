#pragma once

#include "tools/export/ExportOptions.h"
#include "tools/export/SensorOutputs.h"

#include <QString>

// Feeds live frames from the data port into the outputs of an export, with
// the viewer's own receiver thread (each sensor cut on its own), until every
// sensor heard has all its frames. A frame's time is the moment it is taken
// from the receiver.
class LiveExport {
public:
    LiveExport(const ExportOptions& options, SensorOutputs& output);

    // Runs an event loop until the export is complete or has failed.
    // Returns the failure as one line, or an empty text on success.
    QString run();

    // Listens for `seconds` and puts the sensors heard, with their data
    // datagrams and whole frames, one line each, into `listing`; returns
    // the failure, or an empty text.
    static QString listSensors(const ExportOptions& options, double seconds, QString& listing);

private:
    const ExportOptions& options_;
    SensorOutputs& output_;
};
