#pragma once

#include "lidar/MuchLidarData.h"

#include <QString>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <string>

// Receives the sensor's data datagrams on the data port and emits one
// MuchLidarData per revolution.
class GetMuch : public QThread {
    Q_OBJECT
public:
    static constexpr int kReceiveTimeoutMs = 100;
    static constexpr int kReceiveBufferBytes = 8 * 1024 * 1024;

    explicit GetMuch(QObject* parent = nullptr);

    // Written by the GUI thread before start(); only the low 16 bits of
    // `port` are bound.
    int port = 0;
    std::string multicastAddress;
    // The receive buffer asked of the system.
    int receiveBufferBytes = kReceiveBufferBytes;

    // Set by the GUI thread; the worker ends within one receive time-out and
    // clears it again.
    std::atomic<bool> stop{false};

    // Frame markers seen since the socket was opened (0, 1 or 2).
    int markerCount() const { return markerCount_.load(); }

    // The port actually bound (differs from `port` when that is 0), once the
    // socket has joined its group and is ready to receive; 0 otherwise.
    int boundPort() const { return boundPort_.load(); }

    // Reception figures of the running or last run.
    std::uint64_t datagramsAccepted() const { return datagramsAccepted_.load(); }
    std::uint64_t framesEmitted() const { return framesEmitted_.load(); }
    // The kernel's count of datagrams dropped on the socket, -1 while unknown.
    std::int64_t kernelDrops() const { return kernelDrops_.load(); }

    // The same over every run since construction, for the health display;
    // datagrams of another size than a data packet's are ignored, and
    // counted here.
    struct Totals {
        std::uint64_t datagrams = 0;
        std::uint64_t wrongSize = 0;
        std::uint64_t kernelDrops = 0;
    };
    Totals totals() const;

signals:
    void SendLidarData(MuchLidarData lidardata);
    void SendError(QString str);

protected:
    void run() override;

private:
    std::atomic<int> markerCount_{0};
    std::atomic<int> boundPort_{0};
    std::atomic<std::uint64_t> datagramsAccepted_{0};
    std::atomic<std::uint64_t> framesEmitted_{0};
    std::atomic<std::int64_t> kernelDrops_{-1};
    std::atomic<std::uint64_t> datagramsTotal_{0};
    std::atomic<std::uint64_t> wrongSizeTotal_{0};
    std::atomic<std::uint64_t> kernelDropsTotal_{0};
};
