#include "tools/export/McapOutput.h"

#include "lidar/FramePointCloud2.h"

#include <algorithm>

McapOutput::McapOutput(const CsvExportFilter& filter, int frames, const QString& topic,
                       const QString& frameId)
    : filter_(filter), numbers_(frames), topic_(topic.toStdString()),
      frameId_(frameId.toStdString()) {}

bool McapOutput::open(const QString& output) {
    file_ = std::make_unique<PartFile>(output);
    if (!file_->open()) {
        return fail();
    }
    writer_ = std::make_unique<McapWriter>(
        [this](const char* data, std::size_t size) { return file_->write(data, size); });
    const std::uint16_t schema =
        writer_->addSchema(PointCloud2Message::kSchemaName, PointCloud2Message::kSchemaEncoding,
                           PointCloud2Message::schema());
    channel_ = writer_->addChannel(schema, topic_, PointCloud2Message::kMessageEncoding);
    return writer_->start("ros2", "Vantor lidar-export") || fail();
}

bool McapOutput::writeFrame(const MuchLidarData& frame, std::int64_t time) {
    const int number = numbers_.next();
    if (number == 0) {
        return true;
    }
    if (!writer_) {
        return false;
    }
    pointData_.clear();
    PointCloud2Message::Cloud cloud;
    cloud.stampNanoseconds = time;
    cloud.frameId = frameId_;
    cloud.fields = FramePointCloud2::fields();
    cloud.pointStep = FramePointCloud2::kPointStep;
    cloud.width =
        static_cast<std::uint32_t>(FramePointCloud2::append(pointData_, frame, points_, filter_));
    message_.clear();
    PointCloud2Message::encode(message_, cloud, pointData_.data());
    const auto logTime = static_cast<std::uint64_t>(std::max<std::int64_t>(time, 0));
    if (!writer_->addMessage(channel_, static_cast<std::uint32_t>(number), logTime, logTime,
                             message_.data(), message_.size())) {
        return fail();
    }
    ++framesWritten_;
    pointsWritten_ += cloud.width;
    return true;
}

bool McapOutput::close() {
    if (!writer_ || !error_.isEmpty()) {
        file_.reset(); // removes the part file
        return error_.isEmpty();
    }
    const bool finished = writer_->finish() && file_->commit();
    writer_.reset();
    return finished || fail();
}

bool McapOutput::keep() {
    if (!writer_ || !error_.isEmpty()) {
        return error_.isEmpty();
    }
    kept_ = true;
    const bool finished = writer_->finish() && file_->keep();
    writer_.reset();
    return finished || fail();
}

void McapOutput::discard() {
    writer_.reset();
    if (file_) {
        file_->discard();
    }
}

bool McapOutput::fail() {
    error_ = file_->error();
    file_->discard();
    return false;
}
