#include "device/GetSet.h"

#include "device/DeviceInfoPacket.h"
#include "net/UdpSocket.h"

GetSet::GetSet(QObject* parent) : QThread(parent) {
    registerSettingDataMetaTypes();
    registerDeviceReportMetaType();
}

void GetSet::run() {
    boundPort_ = 0;
    // The socket leaves its group and closes on every return path.
    UdpSocket socket;
    if (!socket.bindAny(static_cast<std::uint16_t>(port))) {
        emit SendError(QStringLiteral("Equi Port:%1 : Bind Error").arg(port));
        stop = false;
        return;
    }
    // A group that cannot be joined leaves unicast reception working.
    socket.joinMulticast(multicastAddress);
    if (!socket.setReceiveTimeout(kReceiveTimeoutMs)) {
        emit SendError(QStringLiteral("Equi : Set SO_RCVTIMEO timeout error!!"));
    }
    boundPort_ = socket.localPort();

    DeviceInfoPacket::Bytes buffer{};
    while (!stop) {
        const UdpSocket::Received got = socket.receive(buffer.data(), buffer.size());
        // Failed, timed-out, shorter and longer (truncated) receptions are ignored.
        if (got.status != UdpSocket::Status::Ok ||
            !DeviceInfoPacket::isDeviceInfoPacket(buffer.data(), got.size)) {
            continue;
        }
        DeviceReport report;
        report.sender = {static_cast<std::uint8_t>(got.sourceAddress >> 24),
                         static_cast<std::uint8_t>(got.sourceAddress >> 16),
                         static_cast<std::uint8_t>(got.sourceAddress >> 8),
                         static_cast<std::uint8_t>(got.sourceAddress)};
        report.packet = buffer;
        report.received = DeviceReport::Clock::now();
        {
            const std::lock_guard<std::mutex> lock(sensorsMutex_);
            if (sensors_.take(report) == SensorReports::Taken::Dropped) {
                continue;
            }
        }
        lastPacketTicks_ = report.received.time_since_epoch().count();
        emit SendDeviceReport(report);
        const ByteSpan packet(buffer.data(), buffer.size());
        emit SendLidarStatusToSettingUI(DeviceInfoPacket::decodeSettingData(packet),
                                        DeviceInfoPacket::portVector(packet));
        // A fresh array per packet: the queued event keeps it alive unchanged.
        emit SendDataDifo(QByteArray(reinterpret_cast<const char*>(buffer.data()),
                                     static_cast<int>(buffer.size())));
        emit SendMasterPanelVersion(DeviceInfoPacket::mainBoardVersionText(packet));
    }
    boundPort_ = 0;
    stop = false;
}

std::optional<std::chrono::steady_clock::time_point> GetSet::lastPacketTime() const {
    const auto ticks = lastPacketTicks_.load();
    if (ticks == 0) {
        return std::nullopt;
    }
    return std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(ticks));
}

std::vector<DeviceReport> GetSet::sensors() const {
    const std::lock_guard<std::mutex> lock(sensorsMutex_);
    return sensors_.sensors();
}

std::uint64_t GetSet::droppedReports() const {
    const std::lock_guard<std::mutex> lock(sensorsMutex_);
    return sensors_.dropped();
}
