// lidar-export: writes lidar frames into a multi-frame CSV file.

#include "tools/export/CsvExportFile.h"
#include "tools/export/ExportOptions.h"
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
    if (parsed.outcome == ExportOptions::Outcome::Help) {
        std::printf("%s", qPrintable(parsed.message));
        return 0;
    }
    if (parsed.outcome == ExportOptions::Outcome::Error) {
        std::fprintf(stderr, "lidar-export: %s\n", qPrintable(parsed.message));
        return 2;
    }
    const ExportOptions& options = parsed.options;

    CsvExportFile file(options.filter, options.frames);
    if (!file.open(options.output)) {
        return failWith(file.error());
    }
    LiveExport live(options, file);
    const QString failure = live.run();
    if (!file.close() && failure.isEmpty()) {
        return failWith(file.error());
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
