#include "tools/export/CaptureExport.h"

#include "capture/CapturePacketStream.h"
#include "capture/ReadOnlyFile.h"
#include "lidar/FrameCutter.h"
#include "platform/StopSignals.h"

#include <QDir>
#include <QFileInfo>

CaptureExport::CaptureExport(const ExportOptions& options, FrameOutput& output,
                             ProgressLine& progress)
    : options_(options), output_(output), progress_(progress) {}

QString CaptureExport::run() {
    const QString name = QFileInfo(options_.capture).fileName();
    const auto aboutCapture = [&](const QString& text) {
        return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(options_.capture), text);
    };
    QString failure;
    ReadOnlyFile capture;
    if (!capture.open(options_.capture, &failure)) {
        return aboutCapture(failure);
    }

    // Points the file will not hold are never decoded: the skipped frames
    // are cut without any, the written ones with the wanted channels only.
    FrameCutter cutter;
    const FrameCutter::ChannelFlags none{};
    cutter.setChannelFilter(options_.skip > 0 ? none : options_.filter.channels);
    int framesCut = 0;
    CapturePacketStream packets(capture);
    const auto write = [&](const MuchLidarData& frame) {
        if (++framesCut == options_.skip) {
            cutter.setChannelFilter(options_.filter.channels);
        }
        if (framesCut <= options_.skip || !failure.isEmpty()) {
            return;
        }
        // The frame ends in the packet being fed: its time is the frame's.
        if (!output_.writeFrame(frame, packets.packetTime())) {
            failure = "cannot write " + output_.error();
        }
    };
    // One pass, no index: the walk ends as soon as the wanted frames are
    // written. The output opens with the first data packet, so a file that
    // is no capture, or holds no data, leaves an existing output alone.
    QString walkError;
    const CapturePacketStream::End end = packets.run(
        [&](const std::uint8_t* payload, std::uint64_t) {
            if (packets.packetCount() == 1 && !output_.open(options_.output)) {
                failure = "cannot write " + output_.error();
                return false;
            }
            cutter.feed(payload, write);
            interrupted_ = !output_.complete() && StopSignals::caught() != 0;
            return failure.isEmpty() && !output_.complete() && !interrupted_;
        },
        [&](std::uint64_t done, std::uint64_t total) {
            progress_.show(QStringLiteral("lidar-export: %1: %2% read, %3 frames written")
                               .arg(name)
                               .arg(total == 0 ? 100 : done * 100 / total)
                               .arg(output_.framesWritten()));
        },
        &walkError);
    progress_.clear();
    if (!failure.isEmpty()) {
        return failure;
    }
    if (interrupted_) {
        return QString();
    }
    if (end == CapturePacketStream::End::Failed) {
        if (packets.shortenedAt()) {
            // The markers of the packets before the lost one: the frame it is in.
            return CapturePacketStream::shortenedNotice(options_.capture, *packets.shortenedAt(),
                                                        framesCut + cutter.markerCount(),
                                                        packets.packetCount());
        }
        return aboutCapture(walkError);
    }
    if (end == CapturePacketStream::End::Complete && packets.truncatedAt()) {
        return QStringLiteral("%1 %2 frames written.")
            .arg(CapturePacketStream::truncationNotice(options_.capture, *packets.truncatedAt(),
                                                       packets.packetCount()))
            .arg(output_.framesWritten());
    }
    const bool shortOfFrames =
        options_.frames > 0 ? !output_.complete() : output_.framesWritten() == 0;
    if (shortOfFrames) {
        return QStringLiteral("%1: the capture holds %2 complete frames and %3 were skipped: %4 "
                              "frames written%5")
            .arg(options_.capture)
            .arg(framesCut)
            .arg(options_.skip)
            .arg(output_.framesWritten())
            .arg(options_.frames > 0 ? QStringLiteral(" of %1 wanted").arg(options_.frames)
                                     : QString());
    }
    return QString();
}
