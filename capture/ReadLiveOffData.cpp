#include "capture/ReadLiveOffData.h"

#include <algorithm>
#include <utility>

ReadLiveOffData::ReadLiveOffData(QObject* parent) : QThread(parent) {
    registerMuchLidarDataMetaType();
}

ReadLiveOffData::~ReadLiveOffData() {
    stopAndWait();
}

void ReadLiveOffData::setCapture(std::shared_ptr<const CaptureFile> capture) {
    {
        std::lock_guard<std::mutex> lock(captureMutex_);
        capture_ = std::move(capture);
    }
    seekRequested_ = false;
    requestedFrame_ = -1;
    gate_.release();
}

void ReadLiveOffData::showFrameAndPause(int frame) {
    requestedFrame_ = std::max(frame, 0);
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
    if (capture_ && packet >= 0 && packet < capture_->capturePacketCount()) {
        seekRequested_ = true;
    }
}

void ReadLiveOffData::run() {
    std::shared_ptr<const CaptureFile> capture;
    {
        std::lock_guard<std::mutex> lock(captureMutex_);
        capture = capture_;
    }
    playing_ = capture.get();
    if (capture) {
        reader_ = std::make_unique<CapturePacketReader>(*capture);
    }
    const int count = capture ? capture->capturePacketCount() : 0;
    // The first run collects from the first group, as after a restart.
    cutter_.reset(1);
    packet_ = 0;
    framesToDrop_ = 0;
    pauseAfterShown_ = false;
    packetFed_ = false;

    const auto onFrame = [this](const MuchLidarData& frame) { deliver(frame); };
    while (count > 0) {
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
        const bool backward = playback.stepDirection < 0;
        if (backward ? packet_ == 0 : packet_ == count - 1) {
            enterStopPoint();
            continue;
        }
        packet_ += backward ? -1 : 1;
        packetFed_ = false;
    }
    cutter_.reset(0);
    reader_.reset();
    playing_ = nullptr;
    stop = false;
    emit SendBool(true);
}

bool ReadLiveOffData::commandPending() const {
    return seekRequested_ || requestedFrame_ >= 0 || playback.restartRequested == 1;
}

bool ReadLiveOffData::applyCommands() {
    if (seekRequested_.exchange(false)) {
        const int target = seekPacket;
        if (target >= 0 && target < playing_->capturePacketCount()) {
            packet_ = target;
            packetFed_ = false;
            cutter_.reset(0);
            framesToDrop_ = 0;
            pauseAfterShown_ = false;
        }
    }
    const int frame = requestedFrame_.exchange(-1);
    const bool noFrameToShow = frame >= 0 && !positionAtFrame(frame);
    int restart = 1;
    if (playback.restartRequested.compare_exchange_strong(restart, 0) || noFrameToShow) {
        enterStopPoint();
        return true;
    }
    return false;
}

bool ReadLiveOffData::positionAtFrame(int frame) {
    const std::vector<std::int32_t>& starts = playing_->frameStartPackets();
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
    pauseAfterShown_ = true;
    playback.stepDirection = 1;
    return true;
}

void ReadLiveOffData::enterStopPoint() {
    packet_ = 0;
    packetFed_ = false;
    playback.stepDirection = 1;
    cutter_.reset(1);
    framesToDrop_ = 0;
    pauseAfterShown_ = false;
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
    if (pauseAfterShown_ || playback.pauseAfterFrame == 1) {
        pauseAfterShown_ = false;
        // Closed before the frame goes out, so a step pressed while it is
        // shown releases the gate for the next one.
        gate_.close();
    }
    ++framesEmitted_;
    emit SendData(frame);
    QThread::msleep(
        static_cast<unsigned long>(PlaybackVariables::frameDelayMs(playback.speedIndex)));
    gate_.waitUntilOpen(stop);
    if (stop || commandPending()) {
        abandonPacket_ = true;
    }
}
