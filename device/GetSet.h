#pragma once

#include "device/DeviceReport.h"
#include "device/SensorReports.h"
#include "device/SettingData.h"

#include <QByteArray>
#include <QString>
#include <QThread>
#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// Receives the sensors' device-information datagrams on the equipment port.
// It keeps the latest packet of each sensor (the address its packets come
// from; at most SensorReports::kMaxSensors) and hands each accepted packet
// on with its sender, then decoded, raw and as the main-board version text
// (those three without the sender, for a caller that follows whichever
// sensor sends). Every delivery carries values of its own, so a queued
// delivery never sees a later packet.
class GetSet : public QThread {
    Q_OBJECT
public:
    static constexpr int kReceiveTimeoutMs = 100;

    explicit GetSet(QObject* parent = nullptr);

    // Written by the GUI thread before start(); only the low 16 bits of
    // `port` are bound.
    int port = 0;
    std::string multicastAddress;

    // Set by the GUI thread; the worker ends within one receive time-out and
    // clears it again.
    std::atomic<bool> stop{false};

    // The port actually bound while running (differs from `port` when that
    // is 0), else 0.
    int boundPort() const { return boundPort_.load(); }

    // When the last packet was accepted, on the steady clock; none yet.
    std::optional<std::chrono::steady_clock::time_point> lastPacketTime() const;

    // The latest report of each sensor heard since the receiver was made,
    // and how many packets of further senders were dropped.
    std::vector<DeviceReport> sensors() const;
    std::uint64_t droppedReports() const;

signals:
    void SendDeviceReport(const DeviceReport& report);
    void SendLidarStatusToSettingUI(const SettingData& record, const std::vector<int>& ports);
    void SendDataDifo(const QByteArray& packet);
    void SendMasterPanelVersion(QString value);
    void SendError(QString str);

protected:
    void run() override;

private:
    std::atomic<int> boundPort_{0};
    // Steady-clock ticks of the last accepted packet; 0 for none.
    std::atomic<std::chrono::steady_clock::rep> lastPacketTicks_{0};
    mutable std::mutex sensorsMutex_;
    SensorReports sensors_;
};
