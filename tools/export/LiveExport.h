#pragma once

#include "platform/StopSignals.h"
#include "tools/export/ExportOptions.h"
#include "tools/export/SensorOutputs.h"

#include <QString>

// Feeds live frames from the data port into the outputs of an export, with
// the viewer's own receiver thread (each sensor cut on its own), until every
// sensor heard has all its frames. A frame's time is the moment it is taken
// from the receiver. A stop signal ends the run between two frames.
class LiveExport {
public:
    LiveExport(const ExportOptions& options, SensorOutputs& output, StopSignals& stop);

    // Runs an event loop until the export is complete, has failed or was
    // stopped. Returns the failure as one line, or an empty text.
    QString run();
    // The run ended early for a stop signal, with no failure.
    bool interrupted() const { return interrupted_; }

    // Listens for `seconds` and puts the sensors heard, with their data
    // datagrams and whole frames, one line each, into `listing`; returns
    // the failure, or an empty text.
    static QString listSensors(const ExportOptions& options, double seconds, QString& listing);

private:
    const ExportOptions& options_;
    SensorOutputs& output_;
    StopSignals& stop_;
    bool interrupted_ = false;
};
