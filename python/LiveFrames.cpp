#include "python/LiveFrames.h"

#include "lidar/GetMuch.h"

#include <chrono>

LiveFrames::LiveFrames(int port, const std::string& group, const FrameSelection& selection,
                       FrameQueue& queue)
    : selection_(selection), queue_(queue), receiver_(std::make_unique<GetMuch>()) {
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

void LiveFrames::take(const MuchLidarData& frame) {
    if (queue_.finished() || queue_.closed()) {
        return;
    }
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const int number = ++framesTaken_;
    // The receiver does not tell who sent a frame: its sensor is unnamed.
    const SensorAddress sender;
    const bool queued = queue_.push(
        {points_.convert(frame, selection_.filter), number,
         std::chrono::duration_cast<std::chrono::nanoseconds>(now).count(), sender.text()});
    if (queued && number == selection_.count) {
        queue_.finish();
    }
}
