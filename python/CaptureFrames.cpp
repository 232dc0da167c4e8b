#include "python/CaptureFrames.h"

#include "capture/CapturePacketStream.h"

#include <QDir>

namespace {

// The tool's form of a failure to read a capture: "street.pcap: reason".
QString aboutCapture(const QString& path, const QString& text) {
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), text);
}

// Why a walk failed, for the user: the file shortened since it was opened,
// with the frame then being read, or what else the walk found.
QString failureOf(const CapturePacketStream& packets, const SensorFrames& frames,
                  const QString& path, const QString& error) {
    return packets.shortenedAt()
               ? CapturePacketStream::shortenedNotice(path, *packets.shortenedAt(),
                                                      frames.currentFrame(), packets.packetCount())
               : aboutCapture(path, error);
}

} // namespace

CaptureFrames::Opened CaptureFrames::open(const ReadOnlyFile& file, const QString& path,
                                          const std::atomic<bool>& cancel) {
    Opened opened;
    CapturePacketStream packets(file);
    QString error;
    const auto end = packets.run(
        [&](const std::uint8_t* payload, std::uint64_t) {
            opened.firstSender = SensorAddress::ofCapturedPayload(payload);
            return false;
        },
        {}, &error, &cancel);
    if (end == CapturePacketStream::End::Failed) {
        opened.error = aboutCapture(path, error);
    }
    return opened;
}

CaptureFrames::Census CaptureFrames::census(const ReadOnlyFile& file, const QString& path,
                                            const std::atomic<bool>& cancel) {
    Census census;
    SensorFrames frames;
    // Markers only: no point is decoded.
    frames.setChannelFilter(FrameCutter::ChannelFlags{});
    CapturePacketStream packets(file);
    QString error;
    const auto end = packets.run(
        [&](const std::uint8_t* payload, std::uint64_t) {
            frames.feed(SensorAddress::ofCapturedPayload(payload), payload,
                        [](const SensorAddress&, const MuchLidarData&) {});
            return true;
        },
        {}, &error, &cancel);
    if (end == CapturePacketStream::End::Failed) {
        census.error = failureOf(packets, frames, path, error);
    }
    census.sensors = frames.sensors();
    return census;
}

CaptureFrames::CaptureFrames(std::shared_ptr<const ReadOnlyFile> file, QString path,
                             FrameSelection selection, FrameQueue& queue)
    : file_(std::move(file)), path_(std::move(path)), selection_(std::move(selection)),
      queue_(queue) {}

void CaptureFrames::run() {
    // As lidar-export: points of the skipped frames are never decoded, those
    // of the wanted frames only on the wanted channels.
    SensorFrames frames;
    const FrameCutter::ChannelFlags none{};
    frames.setChannelFilter(selection_.skip > 0 ? none : selection_.filter.channels);
    int framesCut = 0;
    bool done = false;
    CapturePacketStream packets(*file_);
    const auto take = [&](const SensorAddress& sensor, const MuchLidarData& frame) {
        if (done || !selection_.wants(sensor)) {
            return;
        }
        if (++framesCut == selection_.skip) {
            frames.setChannelFilter(selection_.filter.channels);
        }
        if (framesCut <= selection_.skip) {
            return;
        }
        const int number = framesCut - selection_.skip;
        // The frame ends in the packet being fed: its time is the frame's.
        done = !queue_.push({points_.convert(frame, selection_.filter), number,
                             packets.packetTime(), sensor.text()}) ||
               number == selection_.count;
    };
    QString error;
    const CapturePacketStream::End end = packets.run(
        [&](const std::uint8_t* payload, std::uint64_t) {
            frames.feed(SensorAddress::ofCapturedPayload(payload), payload, take);
            // Python may go while skipped frames are read: no frame is queued then.
            return !done && !queue_.closed();
        },
        {}, &error);
    if (end == CapturePacketStream::End::Failed) {
        queue_.finish(failureOf(packets, frames, path_, error).toStdString());
    } else if (end == CapturePacketStream::End::Complete && packets.truncatedAt()) {
        queue_.finish({}, CapturePacketStream::truncationNotice(path_, *packets.truncatedAt(),
                                                                packets.packetCount())
                              .toStdString());
    } else {
        queue_.finish();
    }
}
