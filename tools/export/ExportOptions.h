#pragma once

#include "lidar/CsvExportFilter.h"
#include "lidar/SensorId.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <string>

// The command line of lidar-export: frames from live data (--listen) or from
// a capture file (CAPTURE before OUTPUT), into one of the formats, each
// sensor into its own output or one sensor (--source) alone; or, with
// --list-sensors, the sensors of a capture or a port.
struct ExportOptions {
    enum class Outcome { Run, Help, Version, Error };
    // One CSV file; one PCD, PLY or LAS file per frame; one MCAP file.
    enum class Format { Csv, Pcd, Ply, Las, Mcap };
    struct Parsed;

    QString capture;           // capture file to read; empty: live
    int listenPort = 0;        // live data port
    std::string group;         // multicast group to join; empty: none
    int frames = 0;            // frames to write; 0 (captures only): all
    int skip = 0;              // frames of the capture passed over first
    CsvExportFilter filter;    // channels and azimuth window
    double timeoutSeconds = 0; // 0: wait for ever
    QString output;            // "-" is standard output (CSV only)
    bool quiet = false;
    Format format = Format::Csv;
    QString topic = QStringLiteral("/points"); // MCAP only
    QString frameId = QStringLiteral("lidar"); // MCAP only
    // The one sensor exported; port 0 takes the first heard at the address.
    std::optional<SensorId> source;
    bool listSensors = false; // list the sensors instead of exporting

    // `arguments` includes the program name, as QCoreApplication gives it.
    static Parsed parse(const QStringList& arguments);
};

struct ExportOptions::Parsed {
    Outcome outcome = Outcome::Error;
    ExportOptions options;
    QString message; // the help or version text, or the one-line error
};
