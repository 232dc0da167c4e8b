#include "capture/ReadLiveOffData.h"

#include <algorithm>
#include <limits>
#include <utility>

ReadLiveOffData::ReadLiveOffData(QObject* parent) : QThread(parent) {
    registerMuchLidarDataMetaType();
}

ReadLiveOffData::~ReadLiveOffData() {
    stopAndWait();
}

void ReadLiveOffData::setCapture(std::shared_ptr<const CaptureFile> capture, int sensor) {
    {
        std::lock_guard<std::mutex> lock(captureMutex_);
        const bool known = capture && sensor >= 0 && sensor < capture->sensorCount();
        capture_ = std::move(capture);
        sensorIndex_ = known ? sensor : 0;
    }
    seekRequested_ = false;
    requestedFrame_ = -1;
    gate_.release();
}

void ReadLiveOffData::showFrame(int frame, AfterFrame then) {
    constexpr int kLargest = std::numeric_limits<int>::max() / 4;
    requestedFrame_ = std::clamp(frame, 0, kLargest) * 4 + static_cast<int>(then);
    gate_.release();
}

void ReadLiveOffData::stopAndWait() {
    if (isRunning()) {
        stop = true;
        gate_.release();
        wait();
    }
    stop = false;
    seekRequested_ = false;
    requestedFrame_ = -1;
    gate_.release();
    std::lock_guard<std::mutex> lock(captureMutex_);
    capture_.reset();
}

void ReadLiveOffData::getProgressChangeValue(int packet) {
    seekPacket = packet;
    std::lock_guard<std::mutex> lock(captureMutex_);
    // Checked here, so that every pending seek moves the player.
    if (capture_ && sensorIndex_ < capture_->sensorCount() && packet >= 0 &&
        packet < capture_->sensor(sensorIndex_).packetCount()) {
        seekRequested_ = true;
    }
}

void ReadLiveOffData::run() {
    std::shared_ptr<const CaptureFile> capture;
    {
        std::lock_guard<std::mutex> lock(captureMutex_);
        capture = capture_;
    }
    const int sensor = sensorIndex_;
    playing_ = capture && sensor < capture->sensorCount() ? &capture->sensor(sensor) : nullptr;
    if (playing_) {
        reader_ = std::make_unique<CapturePacketReader>(*capture, sensor);
        cutter_.setSensor(playing_->id);
    }
    const int count = playing_ ? playing_->packetCount() : 0;
    // The first run collects from the first group, as after a restart.
    cutter_.reset(1);
    packet_ = 0;
    framesToDrop_ = 0;
    nextFrame_ = 0;
    shownFrame_ = -1;
    afterShown_ = AfterFrame::PlayOn;
    stopPointPending_ = false;
    packetFed_ = false;

    const auto onFrame = [this](const MuchLidarData& frame) { deliver(frame); };
    while (count > 0) {
        if (stopPointPending_) {
            enterStopPoint();
        }
        gate_.waitUntilOpen(stop);
        if (stop) {
            break;
        }
        if (applyCommands()) {
            continue;
        }
        if (!packetFed_) {
            abandonPacket_ = false;
            const std::uint8_t* payload = reader_->packet(packet_);
            if (!payload) {
                emit SendError(reader_->failure());
                enterStopPoint();
                continue;
            }
            cutter_.feed(payload, onFrame);
            packetFed_ = true;
            if (stop) {
                break;
            }
            // A command cut the packet short: it moves the position first.
            if (abandonPacket_) {
                continue;
            }
        }
        // Frames are always cut forward; playing backward moves from frame to
        // frame (applyCommands).
        if (packet_ == count - 1) {
            enterStopPoint();
            continue;
        }
        ++packet_;
        packetFed_ = false;
    }
    cutter_.reset(0);
    reader_.reset();
    playing_ = nullptr;
    stop = false;
    emit SendBool(true);
}

bool ReadLiveOffData::commandPending() const {
    return seekRequested_ || requestedFrame_ >= 0 || playback.restartRequested == 1 ||
           stopPointPending_ || (shownFrame_ >= 0 && nextFrame_ != nextFrameWanted());
}

int ReadLiveOffData::nextFrameWanted() const {
    return shownFrame_ + (playback.stepDirection < 0 ? -1 : 1);
}

bool ReadLiveOffData::applyCommands() {
    if (seekRequested_.exchange(false)) {
        const int target = seekPacket;
        if (target >= 0 && target < playing_->packetCount()) {
            packet_ = target;
            packetFed_ = false;
            cutter_.reset(0);
            framesToDrop_ = 0;
            nextFrame_ = firstFrameCutFrom(target);
            shownFrame_ = -1;
            afterShown_ = AfterFrame::PlayOn;
        }
    }
    const int request = requestedFrame_.exchange(-1);
    if (request >= 0) {
        if (!positionAtFrame(request / 4)) {
            enterStopPoint();
            return true;
        }
        afterShown_ = static_cast<AfterFrame>(request % 4);
    }
    int restart = 1;
    if (playback.restartRequested.compare_exchange_strong(restart, 0)) {
        // Frame 0 is shown first, so that what is on screen is where the
        // player waits.
        playback.stepDirection = 1;
        if (!positionAtFrame(0)) {
            enterStopPoint();
            return true;
        }
        afterShown_ = AfterFrame::StopPoint;
    }
    if (shownFrame_ >= 0 && nextFrame_ != nextFrameWanted()) {
        // The direction changed, or a frame went out playing backward.
        const int wanted = nextFrameWanted();
        if (wanted < 0) {
            enterStopPoint();
            return true;
        }
        const int shown = shownFrame_;
        positionAtFrame(wanted);
        shownFrame_ = shown;
    }
    return false;
}

bool ReadLiveOffData::positionAtFrame(int frame) {
    const std::vector<std::int32_t>& starts = playing_->frameStartPackets;
    if (starts.empty()) {
        return false;
    }
    frame = std::min(frame, static_cast<int>(starts.size()) - 1);
    framesToDrop_ = 0;
    if (frame == 0) {
        packet_ = 0;
        cutter_.reset(1);
    } else {
        // Cutting starts at the first marker of the packet; when earlier
        // markers share it, the frames they close are skipped.
        const auto opening = static_cast<std::size_t>(frame - 1);
        packet_ = starts[opening];
        for (std::size_t j = opening; j > 0 && starts[j - 1] == packet_; --j) {
            ++framesToDrop_;
        }
        cutter_.reset(0);
    }
    packetFed_ = false;
    nextFrame_ = frame;
    shownFrame_ = -1;
    afterShown_ = AfterFrame::PlayOn;
    return true;
}

int ReadLiveOffData::firstFrameCutFrom(int packet) const {
    // Cutting from the first marker in or after `packet`: the frame it opens.
    const std::vector<std::int32_t>& starts = playing_->frameStartPackets;
    const auto marker = std::lower_bound(starts.begin(), starts.end(), packet);
    return static_cast<int>(marker - starts.begin()) + 1;
}

void ReadLiveOffData::enterStopPoint() {
    packet_ = 0;
    packetFed_ = false;
    playback.stepDirection = 1;
    cutter_.reset(1);
    framesToDrop_ = 0;
    nextFrame_ = 0;
    shownFrame_ = -1;
    afterShown_ = AfterFrame::PlayOn;
    stopPointPending_ = false;
    // Closed before the report goes out, so the release it prompts is kept.
    gate_.close();
    emit SendBool(true);
}

void ReadLiveOffData::deliver(const MuchLidarData& frame) {
    if (abandonPacket_ || stop) {
        return;
    }
    if (framesToDrop_ > 0) {
        --framesToDrop_;
        return;
    }
    const AfterFrame then = std::exchange(afterShown_, AfterFrame::PlayOn);
    if (then == AfterFrame::Pause ||
        (then == AfterFrame::PlayOn && playback.pauseAfterFrame == 1)) {
        // Closed before the frame goes out, so a step pressed while it is
        // shown releases the gate for the next one.
        gate_.close();
    }
    shownFrame_ = nextFrame_++;
    ++framesEmitted_;
    emit SendFrameNumber(shownFrame_);
    emit SendData(frame);
    if (then == AfterFrame::StopPoint) {
        stopPointPending_ = true;
        abandonPacket_ = true;
        return;
    }
    QThread::msleep(
        static_cast<unsigned long>(PlaybackVariables::frameDelayMs(playback.speedIndex)));
    gate_.waitUntilOpen(stop);
    if (stop || commandPending()) {
        abandonPacket_ = true;
    }
}
