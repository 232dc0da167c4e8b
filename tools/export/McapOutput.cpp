#include "tools/export/McapOutput.h"

#include "lidar/FramePointCloud2.h"

#include <algorithm>

bool McapOutput::File::open(const QString& output) {
    if (failed_) {
        return false;
    }
    ++users_;
    if (writer_) {
        return true;
    }
    part_ = std::make_unique<PartFile>(output);
    if (!part_->open()) {
        fail();
        return false;
    }
    writer_ = std::make_unique<McapWriter>(
        [this](const char* data, std::size_t size) { return part_->write(data, size); });
    schema_ = writer_->addSchema(PointCloud2Message::kSchemaName,
                                 PointCloud2Message::kSchemaEncoding, PointCloud2Message::schema());
    if (!writer_->start("ros2", "Vantor lidar-export")) {
        fail();
        return false;
    }
    return true;
}

bool McapOutput::File::release() {
    if (failed_ || --users_ > 0) {
        return !failed_;
    }
    kept_ = keepPart_;
    const bool finished = writer_->finish() && (kept_ ? part_->keep() : part_->commit());
    writer_.reset();
    if (!finished) {
        fail();
    }
    return finished;
}

bool McapOutput::File::keep() {
    keepPart_ = true;
    return release();
}

void McapOutput::File::discard() {
    if (part_) {
        part_->discard();
    }
    failed_ = true;
    writer_.reset();
}

void McapOutput::File::fail() {
    if (!failed_ && part_) {
        error_ = part_->error();
    }
    discard();
}

McapOutput::McapOutput(const CsvExportFilter& filter, int frames, const QString& topic,
                       const QString& frameId, std::shared_ptr<File> file)
    : filter_(filter), numbers_(frames), topic_(topic.toStdString()),
      frameId_(frameId.toStdString()), file_(file ? std::move(file) : std::make_shared<File>()) {}

bool McapOutput::open(const QString& output) {
    if (!file_->open(output)) {
        return false;
    }
    opened_ = true;
    channel_ =
        file_->writer()->addChannel(file_->schema(), topic_, PointCloud2Message::kMessageEncoding);
    return true;
}

bool McapOutput::writeFrame(const MuchLidarData& frame, std::int64_t time) {
    const int number = numbers_.next();
    if (number == 0) {
        return true;
    }
    McapWriter* writer = file_->writer();
    if (!writer) {
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
    if (!writer->addMessage(channel_, static_cast<std::uint32_t>(number), logTime, logTime,
                            message_.data(), message_.size())) {
        return fail();
    }
    ++framesWritten_;
    pointsWritten_ += cloud.width;
    return true;
}

bool McapOutput::close() {
    if (!opened_ || closed_) {
        return !file_->failed();
    }
    closed_ = true;
    return file_->release();
}

bool McapOutput::keep() {
    if (!opened_ || closed_) {
        return !file_->failed();
    }
    closed_ = true;
    return file_->keep();
}

void McapOutput::discard() {
    closed_ = true;
    file_->discard();
}

QString McapOutput::writtenTo() const {
    return file_->path();
}

QString McapOutput::error() const {
    return file_->error();
}

bool McapOutput::fail() {
    file_->fail();
    return false;
}
