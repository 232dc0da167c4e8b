#include "python/CaptureFrames.h"

#include "capture/CapturePacketStream.h"
#include "python/SourceFilter.h"

#include <QDir>
#include <array>

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

QString CaptureFrames::open(const ReadOnlyFile& file, const QString& path,
                            const std::atomic<bool>& cancel) {
    CapturePacketStream packets(file);
    QString error;
    const auto end =
        packets.run([](const std::uint8_t*, std::uint64_t) { return false; }, {}, &error, &cancel);
    return end == CapturePacketStream::End::Failed ? aboutCapture(path, error) : QString();
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
            frames.feed(packets.packetSource(), payload, [](int, const MuchLidarData&) {});
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
    // of the wanted frames only on the wanted channels, and a sensor with
    // all its frames wanted decodes none further.
    SensorFrames frames;
    const FrameCutter::ChannelFlags none{};
    const int skip = selection_.skip;
    const int count = selection_.count;
    frames.setChannelFilter(skip > 0 ? none : selection_.filter.channels);
    std::array<int, SensorTable::kMaxSensors> framesCut{}; // by sensor, first heard first
    int sensorsDone = 0;
    bool closed = false;
    SourceFilter source(selection_.source);
    CapturePacketStream packets(*file_);
    const auto take = [&](int sensor, const MuchLidarData& frame) {
        int& cut = framesCut[static_cast<std::size_t>(sensor)];
        if (++cut == skip) {
            frames.setChannelFilter(sensor, selection_.filter.channels);
        }
        const int number = cut - skip;
        if (closed || number < 1 || (count > 0 && number > count)) {
            return;
        }
        // The frame ends in the packet being fed: its time is the frame's.
        closed = !queue_.push({points_.convert(frame, selection_.filter), number,
                               packets.packetTime(), frame.sensor});
        if (number == count) {
            ++sensorsDone;
            frames.setChannelFilter(sensor, none);
        }
    };
    QString error;
    const CapturePacketStream::End end = packets.run(
        [&](const std::uint8_t* payload, std::uint64_t) {
            const SensorId& from = packets.packetSource();
            // Only the sensor wanted is cut, as if no other sent.
            if (source.wants(from)) {
                frames.feed(from, payload, take);
            }
            // Python may go while skipped frames are read: no frame is queued then.
            const bool everySensorDone = sensorsDone > 0 && sensorsDone == frames.sensorCount();
            return !closed && !queue_.closed() && !everySensorDone;
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
