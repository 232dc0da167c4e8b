#pragma once

#include "lidar/ChannelGeometry.h"
#include "lidar/CsvExportFile.h"
#include "tools/export/FrameOutput.h"

// The frames as the rows of one multi-frame CSV file, flushed frame by
// frame, under NAME.part until the file is closed (standard output as it
// goes).
class CsvOutput : public FrameOutput {
public:
    CsvOutput(const CsvExportFilter& filter, int frames)
        : file_(geometry_, CsvRowWriter::Layout::MultiFrame, frames, filter) {}

    bool open(const QString& output) override {
        path_ = output == "-" ? QStringLiteral("standard output") : output;
        return file_.open(output);
    }
    bool writeFrame(const MuchLidarData& frame, std::int64_t) override {
        return file_.writeFrame(frame);
    }
    bool close() override { return file_.close(); }
    bool keep() override {
        path_ = file_.partPath() == "-" ? path_ : file_.partPath();
        return file_.keep();
    }
    void discard() override { file_.discard(); }

    bool complete() const override { return file_.complete(); }
    int framesWritten() const override { return file_.framesWritten(); }
    int framesWanted() const override { return file_.framesWanted(); }
    std::uint64_t pointsWritten() const override { return file_.rowsWritten(); }
    std::uint64_t bytesWritten() const { return file_.bytesWritten(); }
    QString writtenTo() const override { return path_; }
    QString error() const override { return file_.error(); }

private:
    ChannelGeometry geometry_;
    CsvExportFile file_;
    QString path_;
};
