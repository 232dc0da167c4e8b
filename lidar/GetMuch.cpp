#include "lidar/GetMuch.h"

#include "lidar/DataPacket.h"
#include "lidar/FrameCutter.h"
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

    // The socket leaves its group and closes on every return path.
    UdpSocket socket;
    if (!socket.bindAny(static_cast<std::uint16_t>(port))) {
        emit SendError(QStringLiteral("Data Port:%1 : Bind Error").arg(port));
        stop = false;
        return;
    }
    // A group that cannot be joined does not stop unicast reception.
    socket.joinMulticast(multicastAddress);
    socket.setReceiveBufferSize(kReceiveBufferBytes);
    socket.enableDropCounter();

    FrameCutter cutter;
    if (!socket.setReceiveTimeout(kReceiveTimeoutMs)) {
        emit SendError(QStringLiteral("Data : Set SO_RCVTIMEO timeout error!!"));
    }
    // Published once the socket is fully set up: whoever waits for the port
    // may send to the group at once.
    boundPort_ = socket.localPort();

    std::array<std::uint8_t, DataPacket::kSize> buffer{};
    while (!stop) {
        const UdpSocket::Received got = socket.receive(buffer.data(), buffer.size());
        if (got.kernelDrops >= 0) {
            kernelDrops_ = got.kernelDrops;
        }
        // Shorter, longer (truncated) and failed receptions are all ignored.
        if (got.status != UdpSocket::Status::Ok || got.size != DataPacket::kSize) {
            continue;
        }
        ++datagramsAccepted_;
        cutter.feed(buffer.data(), [this](const MuchLidarData& frame) {
            ++framesEmitted_;
            emit SendLidarData(frame);
        });
        markerCount_ = cutter.markerCount();
    }
    boundPort_ = 0;
    stop = false;
}
