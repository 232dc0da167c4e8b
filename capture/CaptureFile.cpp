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
    CapturePacketStream stream(file_);
    const CapturePacketStream::End end = stream.run(
        [this, &stream](const std::uint8_t* payload, std::uint64_t offset) {
            return index(stream.packetSource(), payload, offset);
        },
        progress, errorText, cancel);
    recordCount_ = stream.recordCount();
    truncatedAt_ = stream.truncatedAt();
    if (end == CapturePacketStream::End::Failed) {
        return false;
    }
    if (sensors_.size() > 1) {
        // The first sensor's room was reserved for the whole file.
        sensors_.front().packetOffsets.shrink_to_fit();
    }
    if (tooManyPackets_) {
        *errorText = tr("The capture holds more packets or frames than can be played.");
        return false;
    }
    return true;
}

QString CaptureFile::truncationNotice() const {
    return truncatedAt_ ? CapturePacketStream::truncationNotice(captureFileName_, *truncatedAt_,
                                                                dataPackets_)
                        : QString();
}

QString CaptureFile::shortenedNotice(std::uint64_t byte, int packet, int sensor) const {
    return CapturePacketStream::shortenedNotice(captureFileName_, byte,
                                                this->sensor(sensor).frameOfPacket(packet),
                                                static_cast<std::uint64_t>(packet));
}

const CaptureSensor& CaptureFile::primary() const {
    static const CaptureSensor none;
    return sensors_.empty() ? none : sensors_.front();
}

bool CaptureFile::index(const SensorId& source, const std::uint8_t* payload, std::uint64_t offset) {
    const int sensorIndex = sensorTable_.admit(source);
    if (sensorIndex < 0) {
        return true;
    }
    if (sensorIndex == sensorCount()) {
        sensors_.emplace_back();
        sensors_.back().id = source;
        if (sensorIndex == 0) {
            // Most captures hold one sensor.
            sensors_.back().packetOffsets.reserve(file_.size() / kTypicalRecordSize + 1);
        }
    }
    CaptureSensor& sensor = sensors_[static_cast<std::size_t>(sensorIndex)];
    // Packet and frame positions are ints wherever the player and the
    // playback bar use them.
    constexpr auto kLimit = static_cast<std::size_t>(std::numeric_limits<int>::max());
    if (sensor.packetOffsets.size() >= kLimit ||
        sensor.frameStartPackets.size() > kLimit - DataPacket::kGroupCount) {
        tooManyPackets_ = true;
        return false;
    }
    const auto packetIndex = static_cast<std::int32_t>(sensor.packetOffsets.size());
    sensor.packetOffsets.push_back(offset);
    ++dataPackets_;
    // Markers only open groups; the same bytes inside point data are not one.
    for (std::size_t p = 0; p < DataPacket::kGroupBytes; p += DataPacket::kGroupSize) {
        if (DataPacket::isFrameMarker(payload + p)) {
            sensor.frameStartPackets.push_back(packetIndex);
        }
    }
    return true;
}
