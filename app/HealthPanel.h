#pragma once

#include "lidar/PointCountWatch.h"
#include "lidar/ReceptionHealth.h"

#include <QLabel>
#include <QTimer>
#include <chrono>
#include <functional>
#include <optional>

// The data health section of the status bar: data datagrams per second,
// frames received and drawn per second, datagrams the system dropped,
// datagrams of the wrong size, datagrams of sources beyond the bound on
// sensors, frames with an odd point count, and the time
// since the last device packet. One short line, the details in its tooltip,
// in red once something was lost, "no data" while nothing arrives. Updated
// every second; Clear resets it.
class HealthPanel : public QLabel {
    Q_OBJECT
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kRefreshMs = 1000;

    struct Sources {
        // The receiver's datagram counts and the frames drawn; the panel
        // counts the frames received and the odd ones itself.
        std::function<ReceptionCounts()> counts;
        std::function<std::optional<Clock::time_point>()> lastDevicePacket;
    };

    HealthPanel(Sources sources, QWidget* parent = nullptr);

    // Every frame that reaches the window, drawn or not. A capture's first
    // frame begins wherever the recording began: its point count is not
    // judged, nor taken as usual.
    void frameArrived(std::size_t points, bool captureEdge = false);
    // Totals start again from 0 (Clear).
    void reset();
    // Frames of another source follow (reception or playback starts): their
    // point counts are not judged by the last source's.
    void sourceChanged() { watch_.forgetHistory(); }
    // Takes a sample and shows it (the timer does so every second).
    void refresh();

    const HealthFigures& figures() const { return figures_; }

    static QString line(const HealthFigures& f);
    static QString details(const HealthFigures& f);

private:
    ReceptionCounts counts() const;
    static double seconds(Clock::time_point t);

    Sources sources_;
    PointCountWatch watch_;
    std::uint64_t framesReceived_ = 0;
    ReceptionHealth health_;
    HealthFigures figures_;
    QTimer timer_;
};
