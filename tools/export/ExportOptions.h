#pragma once

#include "lidar/CsvExportFilter.h"

#include <QString>
#include <QStringList>
#include <string>

// The command line of lidar-export.
struct ExportOptions {
    enum class Outcome { Run, Help, Error };
    struct Parsed;

    int listenPort = 0;        // live data port
    std::string group;         // multicast group to join; empty: none
    int frames = 0;            // frames to write
    CsvExportFilter filter;    // channels and azimuth window
    double timeoutSeconds = 0; // 0: wait for ever
    QString output;            // "-" is standard output
    bool quiet = false;

    // `arguments` includes the program name, as QCoreApplication gives it.
    static Parsed parse(const QStringList& arguments);
};

struct ExportOptions::Parsed {
    Outcome outcome = Outcome::Error;
    ExportOptions options;
    QString message; // the help text or the one-line error
};
