#pragma once

#include "lidar/MuchLidarData.h"
#include "lidar/SensorStatistics.h"
#include "lidar/SensorTable.h"

#include <QString>
#include <QThread>
#include <array>
#include <atomic>
#include <cstdint>
#include <string>

// Receives the data datagrams on the data port and emits one MuchLidarData
// per revolution of each sensor that sends to it (SensorDemux): every frame
// holds one sensor's points and names that sensor. Sensors beyond the
// bound of SensorTable are not taken; their datagrams are counted.
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

    // Frame markers of the first sensor heard since the socket was opened
    // (0, 1 or 2).
    int markerCount() const { return markerCount_.load(); }

    // The port actually bound (differs from `port` when that is 0), once the
    // socket has joined its group and is ready to receive; 0 otherwise.
    int boundPort() const { return boundPort_.load(); }

    // Reception figures of the running or last run. Datagrams refused for
    // the bound on sensors are not accepted.
    std::uint64_t datagramsAccepted() const { return datagramsAccepted_.load(); }
    std::uint64_t framesEmitted() const { return framesEmitted_.load(); }
    // The kernel's count of datagrams dropped on the socket, -1 while unknown.
    std::int64_t kernelDrops() const { return kernelDrops_.load(); }

    // The same over every run since construction, for the health display;
    // datagrams of another size than a data packet's are ignored, and
    // counted here, and so are those of sources beyond the bound on sensors.
    struct Totals {
        std::uint64_t datagrams = 0;
        std::uint64_t wrongSize = 0;
        std::uint64_t kernelDrops = 0;
        std::uint64_t sensorBound = 0;
    };
    Totals totals() const;

    // The sensors of the running or last run with their counts, in the
    // order first heard. Callable from any thread.
    std::vector<SensorCounts> sensorCounts() const;

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
    std::atomic<std::uint64_t> sensorBoundTotal_{0};

    // Written by the worker only; a slot is read once sensorCount_ covers it.
    struct SensorSlot {
        std::atomic<std::uint32_t> address{0};
        std::atomic<std::uint16_t> port{0};
        std::atomic<std::uint64_t> datagrams{0};
        std::atomic<std::uint64_t> frames{0};
        std::atomic<std::uint64_t> points{0};
    };
    std::array<SensorSlot, SensorTable::kMaxSensors> sensorSlots_;
    std::atomic<int> sensorCount_{0};
};
