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

} // namespace

CaptureFile::CaptureFile(const QString& path) : captureFileName_(path), file_(path) {}

CaptureFile::~CaptureFile() = default;

std::shared_ptr<const CaptureFile> CaptureFile::open(const QString& path, QString* errorText,
                                                     const Progress& progress) {
    std::shared_ptr<CaptureFile> capture(new CaptureFile(path));
    QString error;
    if (!capture->load(progress, &error)) {
        if (errorText) {
            *errorText = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), error);
        }
        return nullptr;
    }
    return capture;
}

bool CaptureFile::load(const Progress& progress, QString* errorText) {
    if (!file_.open(QIODevice::ReadOnly)) {
        *errorText = file_.errorString();
        return false;
    }
    mappedSize_ = static_cast<std::uint64_t>(file_.size());
    if (mappedSize_ != 0) {
        mapped_ = file_.map(0, file_.size());
        if (!mapped_) {
            *errorText = tr("The file cannot be mapped into memory: %1").arg(file_.errorString());
            return false;
        }
    }
    captureBuffers_.reserve(mappedSize_ / kTypicalRecordSize + 1);

    const bool walked = CaptureRecords::walk(
        ByteSpan(mapped_, mappedSize_), [this](const CaptureRecord& r) { index(r); }, progress,
        errorText);
    if (!walked) {
        return false;
    }
    if (tooManyPackets_) {
        *errorText = tr("The capture holds more data packets than can be played.");
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
    if (captureBuffers_.size() >= static_cast<std::size_t>(std::numeric_limits<int>::max())) {
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
