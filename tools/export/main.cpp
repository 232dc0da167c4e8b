// lidar-export: writes lidar frames into CSV, PCD, PLY, LAS or MCAP files.

#include "tools/export/CaptureExport.h"
#include "tools/export/ExportOptions.h"
#include "tools/export/FrameOutput.h"
#include "tools/export/LiveExport.h"
#include "tools/export/SensorOutputs.h"

#include <QCoreApplication>
#include <cstdio>

namespace {

int failWith(const QString& message) {
    std::fprintf(stderr, "lidar-export: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const ExportOptions::Parsed parsed = ExportOptions::parse(app.arguments());
    if (parsed.outcome == ExportOptions::Outcome::Help ||
        parsed.outcome == ExportOptions::Outcome::Version) {
        std::printf("%s", qPrintable(parsed.message));
        return 0;
    }
    if (parsed.outcome == ExportOptions::Outcome::Error) {
        std::fprintf(stderr, "lidar-export: %s\n", qPrintable(parsed.message));
        return 2;
    }
    const ExportOptions& options = parsed.options;

    if (options.listSensors) {
        QString listing;
        const QString failure =
            options.capture.isEmpty()
                ? LiveExport::listSensors(
                      options, options.timeoutSeconds > 0 ? options.timeoutSeconds : 2, listing)
                : CaptureExport::listSensors(options.capture, listing);
        if (!failure.isEmpty()) {
            return failWith(failure);
        }
        std::printf("%s", qPrintable(listing));
        return 0;
    }

    // One output per sensor (or the one of --source), opened with its
    // sensor's first frame.
    SensorOutputs output(options);
    QString failure;
    if (options.capture.isEmpty()) {
        if (!output.open(options.output)) {
            return failWith(output.error());
        }
        failure = LiveExport(options, output).run();
    } else {
        ProgressLine progress(stderr, !options.quiet && ProgressLine::isTerminal(stderr));
        failure = CaptureExport(options, output, progress).run();
    }
    // A file that the capture's end cut short of frames is still whole;
    // one whose own writing failed is removed.
    if (!output.close() && failure.isEmpty()) {
        return failWith(output.error());
    }
    if (!failure.isEmpty()) {
        return failWith(failure);
    }
    if (!options.quiet && (output.outputCount() > 1 || options.source)) {
        std::fprintf(stderr, "lidar-export: wrote %s\n", qPrintable(output.summary()));
    } else if (!options.quiet) {
        std::fprintf(stderr, "lidar-export: wrote %d frames, %llu points, to %s\n",
                     output.framesWritten(),
                     static_cast<unsigned long long>(output.pointsWritten()),
                     qPrintable(output.writtenTo()));
    }
    return 0;
}
