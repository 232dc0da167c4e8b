#include "capture/CaptureFile.h"

#include "capture/LinkLayer.h"
#include "capture/PcapFormat.h"
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
constexpr std::uint64_t kTypicalRecordSize =
    PcapFormat::kRecordHeaderBytes + LinkLayer::kEthernetDataFrame;

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

    CapturePacketStream stream(file_);
    const CapturePacketStream::End end =
        stream.run([this](const std::uint8_t* payload,
                          std::uint64_t offset) { return index(payload, offset); },
                   progress, errorText, cancel);
    recordCount_ = stream.recordCount();
    truncatedAt_ = stream.truncatedAt();
    if (end == CapturePacketStream::End::Failed) {
        return false;
    }
    if (tooManyPackets_) {
        *errorText = tr("The capture holds more packets or frames than can be played.");
        return false;
    }
    return true;
}

QString CaptureFile::truncationNotice() const {
    return truncatedAt_ ? CapturePacketStream::truncationNotice(captureFileName_, *truncatedAt_,
                                                                packetOffsets_.size())
                        : QString();
}

int CaptureFile::frameOfPacket(int packet) const {
    return static_cast<int>(
        std::lower_bound(frameStartPackets_.begin(), frameStartPackets_.end(), packet) -
        frameStartPackets_.begin());
}

QString CaptureFile::shortenedNotice(std::uint64_t byte, int packet) const {
    return CapturePacketStream::shortenedNotice(captureFileName_, byte, frameOfPacket(packet),
                                                static_cast<std::uint64_t>(packet));
}

bool CaptureFile::index(const std::uint8_t* payload, std::uint64_t offset) {
    // Packet and frame positions are ints wherever the player and the
    // playback bar use them.
    constexpr auto kLimit = static_cast<std::size_t>(std::numeric_limits<int>::max());
    if (packetOffsets_.size() >= kLimit ||
        frameStartPackets_.size() > kLimit - DataPacket::kGroupCount) {
        tooManyPackets_ = true;
        return false;
    }
    const auto packetIndex = static_cast<std::int32_t>(packetOffsets_.size());
    packetOffsets_.push_back(offset);
    // Markers only open groups; the same bytes inside point data are not one.
    for (std::size_t p = 0; p < DataPacket::kGroupBytes; p += DataPacket::kGroupSize) {
        if (DataPacket::isFrameMarker(payload + p)) {
            frameStartPackets_.push_back(packetIndex);
        }
    }
    return true;
}
