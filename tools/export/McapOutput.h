#pragma once

#include "formats/McapWriter.h"
#include "lidar/ChannelGeometry.h"
#include "lidar/CsvExportFilter.h"
#include "lidar/ExportFrameNumbers.h"
#include "lidar/ExportedPoints.h"
#include "lidar/PartFile.h"
#include "tools/export/FrameOutput.h"

#include <memory>
#include <string>

// The frames as one MCAP file of ROS 2 sensor_msgs/msg/PointCloud2
// messages (CDR) on one topic, one message per frame, numbered as its
// sequence; header stamp and log time are the frame's time. The file is
// written under a temporary name and gets its own when it is finished.
class McapOutput : public FrameOutput {
public:
    McapOutput(const CsvExportFilter& filter, int frames, const QString& topic,
               const QString& frameId);

    bool open(const QString& output) override;
    bool writeFrame(const MuchLidarData& frame, std::int64_t time) override;
    bool close() override;
    // The file is finished (summary and footer) under its part name.
    bool keep() override;
    void discard() override;

    bool complete() const override { return numbers_.complete(); }
    int framesWritten() const override { return framesWritten_; }
    int framesWanted() const override { return numbers_.wanted(); }
    std::uint64_t pointsWritten() const override { return pointsWritten_; }
    QString writtenTo() const override {
        return !file_ ? QString() : kept_ ? file_->partPath() : file_->path();
    }
    QString error() const override { return error_; }

private:
    bool fail();

    ChannelGeometry geometry_;
    ExportedPoints points_{geometry_};
    CsvExportFilter filter_;
    ExportFrameNumbers numbers_;
    std::string topic_;
    std::string frameId_;
    std::unique_ptr<PartFile> file_;
    std::unique_ptr<McapWriter> writer_;
    std::uint16_t channel_ = 0;
    std::string pointData_;
    std::string message_;
    int framesWritten_ = 0;
    std::uint64_t pointsWritten_ = 0;
    bool kept_ = false;
    QString error_;
};
