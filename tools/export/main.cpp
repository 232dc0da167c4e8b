// lidar-export: writes lidar frames into CSV, PCD, PLY, LAS or MCAP files.

#include "tools/export/CaptureExport.h"
#include "tools/export/ExportOptions.h"
#include "tools/export/FrameOutput.h"
#include "tools/export/LiveExport.h"

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

    const std::unique_ptr<FrameOutput> output = FrameOutput::create(options);
    QString failure;
    if (options.capture.isEmpty()) {
        if (!output->open(options.output)) {
            return failWith("cannot write " + output->error());
        }
        failure = LiveExport(options, *output).run();
    } else {
        // Opens the output only once the capture has opened, so a wrong
        // capture name leaves an existing output alone.
        ProgressLine progress(stderr, !options.quiet && ProgressLine::isTerminal(stderr));
        failure = CaptureExport(options, *output, progress).run();
    }
    // A file that the capture's end cut short of frames is still whole;
    // one whose own writing failed is removed.
    if (!output->close() && failure.isEmpty()) {
        return failWith("cannot write " + output->error());
    }
    if (!failure.isEmpty()) {
        return failWith(failure);
    }
    if (!options.quiet) {
        std::fprintf(stderr, "lidar-export: wrote %d frames, %llu points, to %s\n",
                     output->framesWritten(),
                     static_cast<unsigned long long>(output->pointsWritten()),
                     qPrintable(output->writtenTo()));
    }
    return 0;
}
