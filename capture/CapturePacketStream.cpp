#include "capture/CapturePacketStream.h"

#include "capture/LinkLayer.h"

#include <QCoreApplication>
#include <QDir>

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("CaptureFile", text);
}

// Read ahead of the walk, which reports progress every 1/256 of the file.
constexpr std::uint64_t kPrefetchBytes = 64 << 20;

} // namespace

CapturePacketStream::End CapturePacketStream::run(const Visitor& visit, const Progress& progress,
                                                  QString* errorText,
                                                  const std::atomic<bool>* cancel) {
    packets_ = 0;
    records_ = 0;
    bool sawUnsupportedLinkType = false;
    std::uint32_t unsupportedLinkType = 0;
    std::uint64_t prefetchedTo = 0;
    file_.adviseSequential();
    const CaptureRecords::Outcome walked = CaptureRecords::walk(
        file_,
        [&](const CaptureRecord& record) {
            ++records_;
            if (!LinkLayer::isSupported(record.linkType)) {
                sawUnsupportedLinkType = true;
                unsupportedLinkType = record.linkType;
                return true;
            }
            const LinkLayer::DataDatagram datagram =
                LinkLayer::dataDatagram(record.linkType, record.data, record.length);
            const std::uint8_t* payload = datagram.payload;
            if (!payload) {
                return true;
            }
            ++packets_;
            packetTime_ = record.time;
            packetSource_ = datagram.source;
            return visit(payload,
                         record.offset + static_cast<std::uint64_t>(payload - record.data));
        },
        [&](std::uint64_t done, std::uint64_t total) {
            // Each part of the file is asked for once, well ahead of the
            // walk: asking again for cached pages costs a look-up per page.
            if (done + kPrefetchBytes / 2 >= prefetchedTo) {
                file_.prefetch(prefetchedTo, done + kPrefetchBytes - prefetchedTo);
                prefetchedTo = done + kPrefetchBytes;
            }
            if (progress) {
                progress(done, total);
            }
        },
        cancel);
    truncatedAt_ = walked.truncatedAt;
    shortenedAt_ = walked.shortenedAt;
    if (!walked.ok) {
        *errorText = walked.errorText;
        return End::Failed;
    }
    if (walked.stopped) {
        return End::Stopped;
    }
    if (packets_ == 0 && truncatedAt_) {
        *errorText = tr("The capture file is truncated: the record at byte %1 runs past the end "
                        "of the file, and no data packet of the sensor comes before it.")
                         .arg(*truncatedAt_);
        return End::Failed;
    }
    if (packets_ == 0) {
        *errorText = sawUnsupportedLinkType
                         ? tr("The capture holds no data packet of the sensor (its link type %1 "
                              "is not supported).")
                               .arg(unsupportedLinkType)
                         : tr("The capture holds no data packet of the sensor.");
        return End::Failed;
    }
    return End::Complete;
}

QString CapturePacketStream::truncationNotice(const QString& fileName, std::uint64_t at,
                                              std::uint64_t packets) {
    return tr("%1: the capture file is truncated at byte %2 (its last record runs past the end "
              "of the file). The %3 data packets before it were loaded.")
        .arg(QDir::toNativeSeparators(fileName))
        .arg(at)
        .arg(packets);
}

QString CapturePacketStream::shortenedNotice(const QString& fileName, std::uint64_t byte,
                                             std::int64_t frame, std::uint64_t packet) {
    return tr("%1: the capture file was shortened while it was open: its byte %2, in frame %3 "
              "(data packet %4), can no longer be read.")
        .arg(QDir::toNativeSeparators(fileName))
        .arg(byte)
        .arg(frame)
        .arg(packet);
}
