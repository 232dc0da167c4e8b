// lidar-export: writes lidar frames into CSV, PCD, PLY, LAS or MCAP files.

#include "platform/StopSignals.h"
#include "tools/export/CaptureExport.h"
#include "tools/export/ExportOptions.h"
#include "tools/export/FrameOutput.h"
#include "tools/export/LiveExport.h"
#include "tools/export/SensorOutputs.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdio>

namespace {

int failWith(const QString& message) {
    std::fprintf(stderr, "lidar-export: %s\n", qPrintable(message));
    return 1;
}

QString counted(std::uint64_t count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

// Stopped by a signal between two frames: what was written stays, a file
// short of its frames under its part name, and the exit code is the
// shell's for the signal.
int interruptedBy(int signalNumber, FrameOutput& output, int framesWanted) {
    const QString name = StopSignals::nameOf(signalNumber);
    if (output.framesWritten() == 0) {
        output.discard();
        std::fprintf(stderr, "lidar-export: interrupted by %s before any frame was written\n",
                     qPrintable(name));
    } else {
        const bool kept = output.keep();
        const QString frames =
            framesWanted > 0
                ? QStringLiteral("%1 of %2 frames").arg(output.framesWritten()).arg(framesWanted)
                : counted(static_cast<std::uint64_t>(output.framesWritten()), "frame", "frames");
        std::fprintf(stderr, "lidar-export: interrupted by %s: %s written to %s%s\n",
                     qPrintable(name), qPrintable(frames), qPrintable(output.writtenTo()),
                     kept ? "" : qPrintable("; the part could not be finished: " + output.error()));
    }
    return 128 + signalNumber;
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

    // Ctrl-C and kill end the export at the next frame.
    StopSignals stop({SIGINT, SIGTERM});
    // One output per sensor (or the one of --source), opened with its
    // sensor's first frame.
    SensorOutputs output(options);
    QString failure;
    bool interrupted = false;
    if (options.capture.isEmpty()) {
        if (!output.open(options.output)) {
            return failWith(output.error());
        }
        LiveExport live(options, output, stop);
        failure = live.run();
        interrupted = live.interrupted();
    } else {
        ProgressLine progress(stderr, !options.quiet && ProgressLine::isTerminal(stderr));
        CaptureExport fromCapture(options, output, progress);
        failure = fromCapture.run();
        interrupted = fromCapture.interrupted();
    }
    if (interrupted) {
        return interruptedBy(StopSignals::caught(), output,
                             options.frames > 0 ? output.framesWanted() : 0);
    }
    if (!failure.isEmpty()) {
        // A run that wrote no frame leaves nothing. A file that the
        // capture's end or the time-out cut short of frames is still whole
        // and gets its name; one whose own writing failed is removed.
        if (output.framesWritten() == 0) {
            output.discard();
        } else if (!output.close() && !failure.contains(output.error())) {
            failure += "; " + output.error();
        }
        return failWith(failure);
    }
    if (!output.close()) {
        return failWith(output.error());
    }
    if (!options.quiet && (output.outputCount() > 1 || options.source)) {
        std::fprintf(stderr, "lidar-export: wrote %s\n", qPrintable(output.summary()));
    } else if (!options.quiet) {
        std::fprintf(stderr, "lidar-export: wrote %s, %s, to %s\n",
                     qPrintable(counted(static_cast<std::uint64_t>(output.framesWritten()), "frame",
                                        "frames")),
                     qPrintable(counted(output.pointsWritten(), "point", "points")),
                     qPrintable(output.writtenTo()));
    }
    return 0;
}
