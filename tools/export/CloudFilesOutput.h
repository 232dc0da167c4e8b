#pragma once

#include "lidar/ChannelGeometry.h"
#include "lidar/CsvExportFilter.h"
#include "lidar/ExportFrameNumbers.h"
#include "lidar/FrameCloudFile.h"
#include "tools/export/FrameOutput.h"

// One PCD, PLY or LAS file per frame, named from the output with the
// frame's number: "street.pcd" (or "street") gives street_000001.pcd,
// street_000002.pcd and on. Each file is written whole under a temporary
// name first. A frame without a point to write (the filters left none) is
// counted but gives no file: point-cloud programs read no empty cloud.
class CloudFilesOutput : public FrameOutput {
public:
    // `software` is the program and its version, for the files that name it.
    CloudFilesOutput(FrameCloudFile::Format format, const CsvExportFilter& filter, int frames,
                     const QString& software);

    // The name of frame `number`'s file.
    static QString fileName(const QString& output, FrameCloudFile::Format format, int number);

    // Checks that the folder of the files can be written into.
    bool open(const QString& output) override;
    bool writeFrame(const MuchLidarData& frame, std::int64_t time) override;
    bool close() override { return error_.isEmpty(); }
    // Every file written is whole and named: there is nothing to keep or
    // to remove.
    bool keep() override { return true; }
    void discard() override {}

    bool complete() const override { return numbers_.complete(); }
    int framesWritten() const override { return framesWritten_; }
    int framesWanted() const override { return numbers_.wanted(); }
    std::uint64_t pointsWritten() const override { return pointsWritten_; }
    // The first and last file, and the frames without one.
    QString writtenTo() const override;
    QString error() const override { return error_; }

private:
    FrameCloudFile::Format format_;
    ChannelGeometry geometry_;
    CsvExportFilter filter_;
    ExportFrameNumbers numbers_;
    QString software_;
    QString output_;
    int framesWritten_ = 0;
    int framesWithoutFile_ = 0;
    int firstFile_ = 0;
    int lastFile_ = 0;
    std::uint64_t pointsWritten_ = 0;
    QString error_;
};
