// lidar-export: writes lidar frames into a multi-frame CSV file.

#include "lidar/CsvExportFile.h"
#include "tools/export/CaptureExport.h"
#include "tools/export/ExportOptions.h"
#include "tools/export/LiveExport.h"

#include <QCoreApplication>
#include <climits>
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
    if (parsed.outcome == ExportOptions::Outcome::Help) {
        std::printf("%s", qPrintable(parsed.message));
        return 0;
    }
    if (parsed.outcome == ExportOptions::Outcome::Error) {
        std::fprintf(stderr, "lidar-export: %s\n", qPrintable(parsed.message));
        return 2;
    }
    const ExportOptions& options = parsed.options;

    // From a capture without a count: every frame it holds.
    const ChannelGeometry geometry;
    CsvExportFile file(geometry, CsvRowWriter::Layout::MultiFrame,
                       options.frames > 0 ? options.frames : INT_MAX, options.filter);
    QString failure;
    if (options.capture.isEmpty()) {
        if (!file.open(options.output)) {
            return failWith("cannot write " + file.error());
        }
        failure = LiveExport(options, file).run();
    } else {
        // Opens the output only once the capture has opened, so a wrong
        // capture name leaves an existing output alone.
        ProgressLine progress(stderr, !options.quiet && ProgressLine::isTerminal(stderr));
        failure = CaptureExport(options, file, progress).run();
    }
    if (!file.close() && failure.isEmpty()) {
        return failWith("cannot write " + file.error());
    }
    if (!failure.isEmpty()) {
        return failWith(failure);
    }
    if (!options.quiet) {
        std::fprintf(stderr, "lidar-export: wrote %d frames, %zu points, to %s\n",
                     file.framesWritten(), file.rowsWritten(),
                     options.output == "-" ? "standard output" : qPrintable(options.output));
    }
    return 0;
}
