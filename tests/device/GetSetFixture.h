#pragma once

#include "InfoTestPacket.h"
#include "device/GetSet.h"
#include "lidar/ThreadStop.h"
#include "net/UdpSocket.h"
#include "support/QtWait.h"

#include <QObject>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// A GetSet whose deliveries are collected on the test's thread through
// queued connections, as the window receives them.
class GetSetFixture : public ::testing::Test {
protected:
    void TearDown() override { stopThreadAndWait(receiver, receiver.stop, "receiver wait...."); }

    void connectAll() {
        QObject::connect(&receiver, &GetSet::SendDeviceReport, &context,
                         [this](const DeviceReport& r) {
                             order.push_back("report");
                             reports.push_back(r);
                         });
        QObject::connect(&receiver, &GetSet::SendLidarStatusToSettingUI, &context,
                         [this](const SettingData& r, const std::vector<int>& p) {
                             order.push_back("status");
                             records.push_back(r);
                             ports.push_back(p);
                         });
        QObject::connect(&receiver, &GetSet::SendDataDifo, &context, [this](const QByteArray& b) {
            order.push_back("raw");
            packets.push_back(b);
        });
        QObject::connect(&receiver, &GetSet::SendMasterPanelVersion, &context,
                         [this](const QString& v) {
                             order.push_back("version");
                             versions.push_back(v);
                         });
        QObject::connect(&receiver, &GetSet::SendError, &context,
                         [this](const QString& e) { errors.push_back(e); });
    }

    // The group is not the data receiver's: its tests check that theirs is left.
    bool startOn(int port, const std::string& group = "224.1.1.2") {
        receiver.port = port;
        receiver.multicastAddress = group;
        connectAll();
        receiver.start();
        return waitUntil([this] { return receiver.boundPort() != 0; });
    }

    void send(const std::uint8_t* data, std::size_t size,
              const std::string& address = "127.0.0.1") {
        ASSERT_TRUE(
            sender.sendTo(address, static_cast<std::uint16_t>(receiver.boundPort()), data, size));
    }
    void send(const InfoTestPacket& p, const std::string& address = "127.0.0.1") {
        send(p.bytes.data(), p.bytes.size(), address);
    }

    GetSet receiver;
    QObject context;
    UdpSocket sender;
    std::vector<std::string> order;
    std::vector<DeviceReport> reports;
    std::vector<SettingData> records;
    std::vector<std::vector<int>> ports;
    std::vector<QByteArray> packets;
    std::vector<QString> versions;
    std::vector<QString> errors;
};
