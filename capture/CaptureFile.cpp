#include "capture/CaptureFile.h"

#include "capture/LinkLayer.h"
#include "lidar/DataPacket.h"

#include <QCoreApplication>
#include <QDir>
#include <algorithm>
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

CaptureFile::CaptureFile(const QString& path) : captureFileName_(path) {}

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
    if (!file_.open(captureFileName_, errorText)) {
        return false;
    }
    packetOffsets_.reserve(file_.size() / kTypicalRecordSize + 1);

    file_.adviseSequential();
    const bool walked = CaptureRecords::walk(
        file_, [this](const CaptureRecord& r) { index(r); },
        [&](std::uint64_t done, std::uint64_t total) {
            file_.prefetch(done, kPrefetchBytes);
            if (progress) {
                progress(done, total);
            }
        },
        errorText, &truncatedAt_, cancel);
    if (!walked) {
        return false;
    }
    if (tooManyPackets_) {
        *errorText = tr("The capture holds more packets or frames than can be played.");
        return false;
    }
    if (packetOffsets_.empty() && truncatedAt_) {
        *errorText = tr("The capture file is truncated: the record at byte %1 runs past the end "
                        "of the file, and no data packet of the sensor comes before it.")
                         .arg(*truncatedAt_);
        return false;
    }
    if (packetOffsets_.empty()) {
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

int CaptureFile::frameOfPacket(int packet) const {
    return static_cast<int>(
        std::lower_bound(frameStartPackets_.begin(), frameStartPackets_.end(), packet) -
        frameStartPackets_.begin());
}

QString CaptureFile::shortenedNotice(std::uint64_t byte, int packet) const {
    return tr("%1: the capture file was shortened while it was open: its byte %2, in frame %3 "
              "(data packet %4), can no longer be read.")
        .arg(QDir::toNativeSeparators(captureFileName_))
        .arg(byte)
        .arg(frameOfPacket(packet))
        .arg(packet);
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
    if (packetOffsets_.size() >= kLimit ||
        frameStartPackets_.size() > kLimit - DataPacket::kGroupCount) {
        tooManyPackets_ = true;
        return;
    }
    const auto packetIndex = static_cast<std::int32_t>(packetOffsets_.size());
    packetOffsets_.push_back(record.offset + static_cast<std::uint64_t>(payload - record.data));
    // Markers only open groups; the same bytes inside point data are not one.
    for (std::size_t p = 0; p < DataPacket::kGroupBytes; p += DataPacket::kGroupSize) {
        if (DataPacket::isFrameMarker(payload + p)) {
            frameStartPackets_.push_back(packetIndex);
        }
    }
}
