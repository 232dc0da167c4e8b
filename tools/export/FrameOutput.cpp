#include "tools/export/FrameOutput.h"

#include "tools/export/CloudFilesOutput.h"
#include "tools/export/CsvOutput.h"
#include "tools/export/McapOutput.h"

#include <climits>

std::unique_ptr<FrameOutput> FrameOutput::create(const ExportOptions& options) {
    // From a capture without a count: every frame it holds.
    const int frames = options.frames > 0 ? options.frames : INT_MAX;
    const QString software = QStringLiteral("lidar-export " VANTOR_VERSION);
    using Format = ExportOptions::Format;
    switch (options.format) {
    case Format::Csv:
        break;
    case Format::Pcd:
        return std::make_unique<CloudFilesOutput>(FrameCloudFile::Format::Pcd, options.filter,
                                                  frames, software);
    case Format::Ply:
        return std::make_unique<CloudFilesOutput>(FrameCloudFile::Format::Ply, options.filter,
                                                  frames, software);
    case Format::Las:
        return std::make_unique<CloudFilesOutput>(FrameCloudFile::Format::Las, options.filter,
                                                  frames, software);
    case Format::Mcap:
        return std::make_unique<McapOutput>(options.filter, frames, options.topic, options.frameId);
    }
    return std::make_unique<CsvOutput>(options.filter, frames);
}
