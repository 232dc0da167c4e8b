#pragma once

#include "lidar/GetMuch.h"
#include "lidar/ThreadStop.h"
#include "net/UdpSocket.h"
#include "support/QtWait.h"
#include "support/TestPackets.h"

#include <QObject>
#include <gtest/gtest.h>
#include <vector>

// A GetMuch on a system-chosen port, its frames and errors collected on the
// test's thread through queued connections, as the window receives them.
class ReceiverFixture : public ::testing::Test {
protected:
    void TearDown() override { stopThreadAndWait(receiver, receiver.stop, "receiver wait...."); }

    // No group by default: tests running in parallel must not share one.
    bool startOn(int port, const std::string& group = "") {
        receiver.port = port;
        receiver.multicastAddress = group;
        QObject::connect(&receiver, &GetMuch::SendLidarData, &context,
                         [this](const MuchLidarData& f) { frames.push_back(f); });
        QObject::connect(&receiver, &GetMuch::SendError, &context,
                         [this](const QString& e) { errors.push_back(e); });
        receiver.start();
        return waitUntil([this] { return receiver.boundPort() != 0; });
    }

    void send(const std::vector<DataPacketWriter::Payload>& payloads,
              const std::string& address = "127.0.0.1") {
        for (const auto& p : payloads) {
            sendRaw(p.data(), p.size(), address);
        }
    }
    void sendRaw(const std::uint8_t* data, std::size_t size,
                 const std::string& address = "127.0.0.1") {
        ASSERT_TRUE(
            sender.sendTo(address, static_cast<std::uint16_t>(receiver.boundPort()), data, size));
    }

    GetMuch receiver;
    QObject context;
    UdpSocket sender;
    std::vector<MuchLidarData> frames;
    std::vector<QString> errors;
};
