#include "lidar/GetMuch.h"

#include "lidar/DataPacket.h"
#include "lidar/SensorDemux.h"
#include "net/UdpSocket.h"

#include <array>

GetMuch::GetMuch(QObject* parent) : QThread(parent) {
    registerMuchLidarDataMetaType();
}

void GetMuch::run() {
    markerCount_ = 0;
    datagramsAccepted_ = 0;
    framesEmitted_ = 0;
    kernelDrops_ = -1;
    boundPort_ = 0;
    sensorCount_ = 0;
    for (SensorSlot& slot : sensorSlots_) {
        slot.datagrams = 0;
        slot.frames = 0;
        slot.points = 0;
    }

    // The socket leaves its group and closes on every return path.
    UdpSocket socket;
    if (!socket.bindAny(static_cast<std::uint16_t>(port))) {
        emit SendError(QStringLiteral("Data Port:%1 : Bind Error").arg(port));
        stop = false;
        return;
    }
    // A group that cannot be joined does not stop unicast reception.
    socket.joinMulticast(multicastAddress);
    socket.setReceiveBufferSize(receiveBufferBytes);
    socket.enableDropCounter();

    SensorDemux demux;
    if (!socket.setReceiveTimeout(kReceiveTimeoutMs)) {
        emit SendError(QStringLiteral("Data : Set SO_RCVTIMEO timeout error!!"));
    }
    // Published once the socket is fully set up: whoever waits for the port
    // may send to the group at once.
    boundPort_ = socket.localPort();

    // The socket's drop counter starts at 0.
    const std::uint64_t dropsBefore = kernelDropsTotal_.load();
    std::array<std::uint8_t, DataPacket::kSize> buffer{};
    while (!stop) {
        const UdpSocket::Received got = socket.receive(buffer.data(), buffer.size());
        if (got.kernelDrops >= 0) {
            kernelDrops_ = got.kernelDrops;
            kernelDropsTotal_ = dropsBefore + static_cast<std::uint64_t>(got.kernelDrops);
        }
        // Shorter, longer (truncated) and failed receptions are all ignored;
        // datagrams of the wrong size are counted.
        if (got.status != UdpSocket::Status::Ok || got.size != DataPacket::kSize) {
            const bool datagram =
                got.status == UdpSocket::Status::Ok || got.status == UdpSocket::Status::Truncated;
            wrongSizeTotal_ += datagram ? 1 : 0;
            continue;
        }
        const SensorId source{got.sourceAddress, got.sourcePort};
        const int sensor =
            demux.feed(source, buffer.data(), [this](int from, const MuchLidarData& frame) {
                SensorSlot& slot = sensorSlots_[static_cast<std::size_t>(from)];
                ++slot.frames;
                slot.points += frame.size();
                ++framesEmitted_;
                emit SendLidarData(frame);
            });
        if (sensor < 0) {
            ++sensorBoundTotal_;
            continue;
        }
        SensorSlot& slot = sensorSlots_[static_cast<std::size_t>(sensor)];
        if (sensor == sensorCount_.load()) {
            slot.address = source.address;
            slot.port = source.port;
            sensorCount_ = sensor + 1;
        }
        ++slot.datagrams;
        ++datagramsAccepted_;
        ++datagramsTotal_;
        markerCount_ = demux.cutter(0).markerCount();
    }
    boundPort_ = 0;
    stop = false;
}

GetMuch::Totals GetMuch::totals() const {
    return {datagramsTotal_.load(), wrongSizeTotal_.load(), kernelDropsTotal_.load(),
            sensorBoundTotal_.load()};
}

std::vector<SensorCounts> GetMuch::sensorCounts() const {
    std::vector<SensorCounts> counts(static_cast<std::size_t>(sensorCount_.load()));
    for (std::size_t i = 0; i < counts.size(); ++i) {
        const SensorSlot& slot = sensorSlots_[i];
        counts[i] = {{slot.address.load(), slot.port.load()},
                     slot.datagrams.load(),
                     slot.frames.load(),
                     slot.points.load()};
    }
    return counts;
}
