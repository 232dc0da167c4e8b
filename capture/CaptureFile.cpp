#include "capture/CaptureFile.h"

#include "capture/LinkLayer.h"
#include "lidar/DataPacket.h"

#include <QCoreApplication>
#include <QDir>
#include <limits>

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("CaptureFile", text);
}

// Record header plus the usual data frame: a first guess at the packet count.
constexpr std::uint64_t kTypicalRecordSize = 16 + LinkLayer::kEthernetDataFrame;

// Read ahead of the indexing walk, which reports progress every 1/256 of
// the file.
constexpr std::uint64_t kPrefetchBytes = 64 << 20;

} // namespace

CaptureFile::CaptureFile(const QString& path) : captureFileName_(path), mapping_(path) {}

CaptureFile::~CaptureFile() = default;

std::shared_ptr<const CaptureFile> CaptureFile::open(const QString& path, QString* errorText,
                                                     const Progress& progress,
                                                     const std::atomic<bool>* cancel) {
    std::shared_ptr<CaptureFile> capture(new CaptureFile(path));
    QString error;
    if (!capture->load(progress, &error, cancel)) {
        if (errorText) {
            *errorText = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), error);
        }
        return nullptr;
    }
    return capture;
}

bool CaptureFile::load(const Progress& progress, QString* errorText,
                       const std::atomic<bool>* cancel) {
    if (!mapping_.map(errorText)) {
        return false;
    }
    captureBuffers_.reserve(mapping_.size() / kTypicalRecordSize + 1);

    // Pages already indexed leave the resident set as the walk goes on;
    // playing maps them in again as it reads them.
    mapping_.adviseSequential(true);
    const bool walked = CaptureRecords::walk(
        ByteSpan(mapping_.data(), mapping_.size()), [this](const CaptureRecord& r) { index(r); },
        [&](std::uint64_t done, std::uint64_t total) {
            mapping_.releaseResidentBelow(done);
            mapping_.prefetch(done, kPrefetchBytes);
            if (progress) {
                progress(done, total);
            }
        },
        errorText, &truncatedAt_, cancel);
    mapping_.adviseSequential(false);
    if (!walked) {
        return false;
    }
    if (tooManyPackets_) {
        *errorText = tr("The capture holds more packets or frames than can be played.");
        return false;
    }
    if (captureBuffers_.empty() && truncatedAt_) {
        *errorText = tr("The capture file is truncated: the record at byte %1 runs past the end "
                        "of the file, and no data packet of the sensor comes before it.")
                         .arg(*truncatedAt_);
        return false;
    }
    if (captureBuffers_.empty()) {
        *errorText = sawUnsupportedLinkType_
                         ? tr("The capture holds no data packet of the sensor (its link type %1 "
                              "is not supported).")
                               .arg(unsupportedLinkType_)
                         : tr("The capture holds no data packet of the sensor.");
        return false;
    }
    return true;
}

QString CaptureFile::truncationNotice() const {
    if (!truncatedAt_) {
        return QString();
    }
    return tr("%1: the capture file is truncated at byte %2 (its last record runs past the end "
              "of the file). The %3 data packets before it were loaded.")
        .arg(QDir::toNativeSeparators(captureFileName_))
        .arg(*truncatedAt_)
        .arg(capturePacketCount());
}

void CaptureFile::index(const CaptureRecord& record) {
    ++recordCount_;
    if (!LinkLayer::isSupported(record.linkType)) {
        sawUnsupportedLinkType_ = true;
        unsupportedLinkType_ = record.linkType;
        return;
    }
    const std::uint8_t* payload =
        LinkLayer::dataPayload(record.linkType, record.data, record.length);
    if (!payload) {
        return;
    }
    // Packet and frame positions are ints wherever the player and the
    // playback bar use them.
    constexpr auto kLimit = static_cast<std::size_t>(std::numeric_limits<int>::max());
    if (captureBuffers_.size() >= kLimit ||
        frameStartPackets_.size() > kLimit - DataPacket::kGroupCount) {
        tooManyPackets_ = true;
        return;
    }
    const auto packetIndex = static_cast<std::int32_t>(captureBuffers_.size());
    captureBuffers_.push_back(payload);
    // Markers only open groups; the same bytes inside point data are not one.
    for (std::size_t p = 0; p < DataPacket::kGroupBytes; p += DataPacket::kGroupSize) {
        if (DataPacket::isFrameMarker(payload + p)) {
            frameStartPackets_.push_back(packetIndex);
        }
    }
}
