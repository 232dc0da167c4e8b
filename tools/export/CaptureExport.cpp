#include "tools/export/CaptureExport.h"

#include "capture/CapturePacketStream.h"
#include "capture/ReadOnlyFile.h"
#include "lidar/SensorDemux.h"
#include "platform/StopSignals.h"
#include "tools/export/SensorListing.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString aboutCapture(const QString& capture, const QString& text) {
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(capture), text);
}

} // namespace

CaptureExport::CaptureExport(const ExportOptions& options, SensorOutputs& output,
                             ProgressLine& progress)
    : options_(options), output_(output), progress_(progress) {}

QString CaptureExport::run() {
    const QString name = QFileInfo(options_.capture).fileName();
    QString failure;
    ReadOnlyFile capture;
    if (!capture.open(options_.capture, &failure)) {
        return aboutCapture(options_.capture, failure);
    }

    // Points the files will not hold are never decoded: the skipped frames
    // are cut without any, the written ones with the wanted channels only.
    SensorDemux demux;
    // Every sender, also those --source leaves out.
    SensorTable heard;
    output_.setHeard([&heard] { return heard.sensors(); });
    const FrameCutter::ChannelFlags none{};
    demux.setChannelFilter(options_.skip > 0 ? none : options_.filter.channels);
    std::vector<int> framesCut; // by sensor, first heard first
    CapturePacketStream packets(capture);
    const auto write = [&](int sensor, const MuchLidarData& frame) {
        const auto s = static_cast<std::size_t>(sensor);
        if (++framesCut[s] == options_.skip) {
            demux.setChannelFilter(sensor, options_.filter.channels);
        }
        if (framesCut[s] <= options_.skip || !failure.isEmpty()) {
            return;
        }
        // The frame ends in the packet being fed: its time is the frame's.
        if (!output_.writeFrame(frame, packets.packetTime())) {
            failure = output_.error();
        }
    };
    // One pass, no index: the walk ends as soon as the wanted frames are
    // written. Outputs open with their sensor's first frame, so a file that
    // is no capture, or holds no data, leaves an existing output alone.
    QString walkError;
    const CapturePacketStream::End end = packets.run(
        [&](const std::uint8_t* payload, std::uint64_t) {
            if (packets.packetCount() == 1 && !output_.open(options_.output)) {
                failure = output_.error();
                return false;
            }
            const SensorId& from = packets.packetSource();
            heard.admit(from);
            if (!output_.wants(from)) {
                return true;
            }
            framesCut.resize(static_cast<std::size_t>(demux.sensorCount()) + 1);
            demux.feed(from, payload, write);
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
    // The demultiplexer ends here; the outputs keep who was heard.
    output_.setHeard([sensors = heard.sensors()] { return sensors; });
    // A sensor without a whole frame still gets its output, as the first
    // data packet used to open it.
    if (failure.isEmpty() && packets.packetCount() > 0 && !output_.openHeard()) {
        failure = output_.error();
    }
    if (!failure.isEmpty()) {
        return failure;
    }
    if (interrupted_) {
        return QString();
    }
    const int firstCut = framesCut.empty() ? 0 : framesCut.front();
    if (end == CapturePacketStream::End::Failed) {
        if (packets.shortenedAt()) {
            // The markers of the packets before the lost one: the frame it is in.
            return CapturePacketStream::shortenedNotice(
                options_.capture, *packets.shortenedAt(),
                firstCut + (demux.sensorCount() > 0 ? demux.cutter(0).markerCount() : 0),
                packets.packetCount());
        }
        return aboutCapture(options_.capture, walkError);
    }
    if (end == CapturePacketStream::End::Complete && packets.truncatedAt()) {
        return QStringLiteral("%1 %2 frames written.")
            .arg(CapturePacketStream::truncationNotice(options_.capture, *packets.truncatedAt(),
                                                       packets.packetCount()))
            .arg(output_.framesWritten());
    }
    const QString missing = output_.missingSource();
    if (!missing.isEmpty()) {
        return aboutCapture(options_.capture, missing);
    }
    for (int o = 0; o < output_.outputCount(); ++o) {
        const FrameOutput& out = output_.output(o);
        const bool shortOfFrames = options_.frames > 0 ? !out.complete() : out.framesWritten() == 0;
        if (!shortOfFrames) {
            continue;
        }
        const SensorId& sensor = output_.sensorOf(o);
        const int sensorIndex = demux.find(sensor);
        const int cut = sensorIndex < 0 ? 0 : framesCut[static_cast<std::size_t>(sensorIndex)];
        return QStringLiteral("%1: the capture holds %2 complete frames%3 and %4 were skipped: "
                              "%5 frames written%6")
            .arg(options_.capture)
            .arg(cut)
            .arg(output_.namedBySensor() ? QStringLiteral(" of ") + sensor.text() : QString())
            .arg(options_.skip)
            .arg(out.framesWritten())
            .arg(options_.frames > 0 ? QStringLiteral(" of %1 wanted").arg(options_.frames)
                                     : QString());
    }
    return QString();
}

QString CaptureExport::listSensors(const QString& path, QString& listing) {
    QString failure;
    ReadOnlyFile capture;
    if (!capture.open(path, &failure)) {
        return aboutCapture(path, failure);
    }
    // Frames are counted, not decoded.
    SensorDemux demux;
    demux.setChannelFilter(FrameCutter::ChannelFlags{});
    std::vector<SensorCounts> counts;
    CapturePacketStream packets(capture);
    QString walkError;
    const CapturePacketStream::End end = packets.run(
        [&](const std::uint8_t* payload, std::uint64_t) {
            // Room for a sensor first heard in this packet.
            counts.resize(static_cast<std::size_t>(demux.sensorCount()) + 1);
            const SensorId& from = packets.packetSource();
            const int sensor = demux.feed(from, payload, [&](int s, const MuchLidarData&) {
                ++counts[static_cast<std::size_t>(s)].frames;
            });
            if (sensor >= 0) {
                counts[static_cast<std::size_t>(sensor)].sensor = from;
                ++counts[static_cast<std::size_t>(sensor)].datagrams;
            }
            return true;
        },
        {}, &walkError);
    if (end == CapturePacketStream::End::Failed) {
        return aboutCapture(path, walkError);
    }
    counts.resize(static_cast<std::size_t>(demux.sensorCount()));
    listing = SensorListing::text(counts, demux.refused());
    return QString();
}
