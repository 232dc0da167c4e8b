#include "python/LiveFrames.h"

#include "lidar/GetMuch.h"

#include <chrono>
#include <vector>

LiveFrames::LiveFrames(int port, const std::string& group, const FrameSelection& selection,
                       FrameQueue& queue)
    : selection_(selection), queue_(queue), receiver_(std::make_unique<GetMuch>()),
      source_(selection.source) {
    receiver_->port = port;
    receiver_->multicastAddress = group;
    // Everything runs on the receiver's thread: there is no event loop here.
    QObject::connect(
        receiver_.get(), &GetMuch::SendLidarData, receiver_.get(),
        [this](const MuchLidarData& frame) { take(frame); }, Qt::DirectConnection);
    QObject::connect(
        receiver_.get(), &GetMuch::SendError, receiver_.get(),
        [this](const QString& message) { queue_.finish(message.toStdString()); },
        Qt::DirectConnection);
    // A receiver that ends by itself (it could not bind) has said why.
    QObject::connect(
        receiver_.get(), &QThread::finished, receiver_.get(),
        [this] {
            if (!stopping_) {
                queue_.finish("the receiver stopped");
            }
        },
        Qt::DirectConnection);
}

LiveFrames::~LiveFrames() {
    stop();
}

void LiveFrames::start() {
    receiver_->start();
}

int LiveFrames::boundPort() const {
    return receiver_->boundPort();
}

std::int64_t LiveFrames::kernelDrops() const {
    return receiver_->kernelDrops();
}

void LiveFrames::stop() {
    stopping_ = true;
    // A receiver waiting for room in the queue is freed by closing it.
    queue_.close();
    if (receiver_->isRunning()) {
        receiver_->stop = true;
        receiver_->wait();
    }
    receiver_->stop.exchange(false);
}

std::string LiveFrames::missingSource() const {
    if (!selection_.source || sourceFound_) {
        return {};
    }
    std::vector<SensorId> heard;
    for (const SensorCounts& c : receiver_->sensorCounts()) {
        heard.push_back(c.sensor);
    }
    return SensorId::notHeard(*selection_.source, heard).toStdString();
}

void LiveFrames::take(const MuchLidarData& frame) {
    if (queue_.finished() || queue_.closed() || !source_.wants(frame.sensor)) {
        return;
    }
    sourceFound_ = true;
    // The receiver keeps no more sensors than this table does.
    const int sensor = taken_.admit(frame.sensor);
    if (sensor < 0) {
        return;
    }
    int& taken = framesTaken_[static_cast<std::size_t>(sensor)];
    if (selection_.count > 0 && taken == selection_.count) {
        return;
    }
    const int number = ++taken;
    sensorsTaken_ = taken_.size();
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const bool queued = queue_.push(
        {points_.convert(frame, selection_.filter), number,
         std::chrono::duration_cast<std::chrono::nanoseconds>(now).count(), frame.sensor});
    if (queued && number == selection_.count && everySensorDone()) {
        queue_.finish();
    }
}

bool LiveFrames::everySensorDone() const {
    if (selection_.source) {
        return true;
    }
    // As lidar-export: a sensor heard without a frame yet still owes its frames.
    for (const SensorCounts& c : receiver_->sensorCounts()) {
        const int sensor = taken_.find(c.sensor);
        if (sensor < 0 || framesTaken_[static_cast<std::size_t>(sensor)] < selection_.count) {
            return false;
        }
    }
    return true;
}
