#include "tools/export/CaptureExport.h"

#include "capture/CaptureFile.h"
#include "capture/CapturePacketReader.h"
#include "lidar/FrameCutter.h"

#include <QFileInfo>

namespace {
// Packets between looks at the progress line.
constexpr int kProgressPackets = 4096;
} // namespace

CaptureExport::CaptureExport(const ExportOptions& options, CsvExportFile& file,
                             ProgressLine& progress)
    : options_(options), file_(file), progress_(progress) {}

QString CaptureExport::run() {
    const QString name = QFileInfo(options_.capture).fileName();
    QString failure;
    const auto capture =
        CaptureFile::open(options_.capture, &failure, [&](std::uint64_t done, std::uint64_t total) {
            progress_.show(QStringLiteral("lidar-export: indexing %1: %2%")
                               .arg(name)
                               .arg(total == 0 ? 100 : done * 100 / total));
        });
    progress_.clear();
    if (!capture) {
        return failure;
    }
    if (!file_.open(options_.output)) {
        return file_.error();
    }

    // Points the file will not hold are never decoded: the skipped frames
    // are cut without any, the written ones with the wanted channels only.
    FrameCutter cutter;
    const FrameCutter::ChannelFlags none{};
    cutter.setChannelFilter(options_.skip > 0 ? none : options_.filter.channels);
    int framesCut = 0;
    const auto write = [&](const MuchLidarData& frame) {
        if (++framesCut == options_.skip) {
            cutter.setChannelFilter(options_.filter.channels);
        }
        if (framesCut <= options_.skip || !failure.isEmpty()) {
            return;
        }
        if (!file_.writeFrame(frame)) {
            failure = file_.error();
        }
    };
    CapturePacketReader packets(*capture);
    const int count = capture->capturePacketCount();
    for (int i = 0; i < count && failure.isEmpty() && !file_.complete(); ++i) {
        const std::uint8_t* payload = packets.packet(i);
        if (!payload) {
            failure = packets.failure();
            break;
        }
        cutter.feed(payload, write);
        if (i % kProgressPackets == 0) {
            progress_.show(QStringLiteral("lidar-export: %1: %2% read, %3 frames written")
                               .arg(name)
                               .arg(static_cast<qint64>(i) * 100 / count)
                               .arg(file_.framesWritten()));
        }
    }
    progress_.clear();
    if (!failure.isEmpty()) {
        return failure;
    }
    if (capture->truncatedAt()) {
        return QStringLiteral("%1 %2 frames written.")
            .arg(capture->truncationNotice())
            .arg(file_.framesWritten());
    }
    const bool shortOfFrames = options_.frames > 0 ? !file_.complete() : file_.framesWritten() == 0;
    if (shortOfFrames) {
        return QStringLiteral("%1: the capture holds %2 complete frames and %3 were skipped: %4 "
                              "frames written%5")
            .arg(options_.capture)
            .arg(framesCut)
            .arg(options_.skip)
            .arg(file_.framesWritten())
            .arg(options_.frames > 0 ? QStringLiteral(" of %1 wanted").arg(options_.frames)
                                     : QString());
    }
    return QString();
}
