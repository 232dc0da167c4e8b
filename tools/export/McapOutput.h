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
//
// Several outputs can share one file (File), each with a topic of its own:
// the file is finished when the last of them closes (under its part name if
// any of them was kept), and a failure of any of them removes it. A file
// not finished is removed with its last owner.
class McapOutput : public FrameOutput {
public:
    class File;

    McapOutput(const CsvExportFilter& filter, int frames, const QString& topic,
               const QString& frameId, std::shared_ptr<File> file = nullptr);

    bool open(const QString& output) override;
    bool writeFrame(const MuchLidarData& frame, std::int64_t time) override;
    bool close() override;
    // The file is finished (summary and footer) under its part name.
    bool keep() override;
    // Removes the file, with the other outputs' topics in it.
    void discard() override;

    bool complete() const override { return numbers_.complete(); }
    int framesWritten() const override { return framesWritten_; }
    int framesWanted() const override { return numbers_.wanted(); }
    std::uint64_t pointsWritten() const override { return pointsWritten_; }
    QString writtenTo() const override;
    QString error() const override;

private:
    bool fail();

    ChannelGeometry geometry_;
    ExportedPoints points_{geometry_};
    CsvExportFilter filter_;
    ExportFrameNumbers numbers_;
    std::string topic_;
    std::string frameId_;
    std::shared_ptr<File> file_;
    bool opened_ = false;
    bool closed_ = false;
    std::uint16_t channel_ = 0;
    std::string pointData_;
    std::string message_;
    int framesWritten_ = 0;
    std::uint64_t pointsWritten_ = 0;
};

// The MCAP file the outputs of one export write into.
class McapOutput::File {
public:
    File() = default;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Opens the file on the first call; false once it has failed.
    bool open(const QString& output);
    McapWriter* writer() { return writer_.get(); }
    std::uint16_t schema() const { return schema_; }
    // One output fewer writes into the file: the last finishes it and names
    // it, or leaves it under its part name when an output was kept.
    bool release();
    // As release(), and the file keeps its part name.
    bool keep();
    // Removes the file for good; fail() also notes why.
    void discard();
    void fail();
    bool failed() const { return failed_; }
    QString path() const { return !part_ ? QString() : kept_ ? part_->partPath() : part_->path(); }
    const QString& error() const { return error_; }

private:
    std::unique_ptr<PartFile> part_;
    std::unique_ptr<McapWriter> writer_;
    std::uint16_t schema_ = 0;
    int users_ = 0;
    bool keepPart_ = false; // an output was kept: the file is not named
    bool kept_ = false;
    bool failed_ = false;
    QString error_;
};
