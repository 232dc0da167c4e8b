#pragma once

#include "LiveSender.h"
#include "app/DrawCoalescer.h"
#include "app/manwindow.h"
#include "device/GetSet.h"
#include "lidar/GetMuch.h"

#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdint>

// Starts live reception in `window` as a user would: the data port and a
// free port for the device packets typed in, then "Lidar". False without a
// display or when a receiver could not bind its port.
inline bool startLive(manwindow& window, int dataPort = LiveSender::freePort()) {
    window.findChild<QLineEdit*>("lineEdit_portNumber")->setText(QString::number(dataPort));
    window.findChild<QLineEdit*>("lineEdit_portNumber_2")
        ->setText(QString::number(LiveSender::freePort()));
    auto* lidar = window.findChild<QToolButton*>("toolButton_Lidar");
    lidar->setEnabled(true); // an opened capture disables it
    lidar->click();
    return QTest::qWaitForWindowExposed(&window) && QTest::qWaitFor([&] {
               return window.liveReceiverThread().boundPort() != 0 &&
                      window.statusReceiverThread().boundPort() != 0;
           });
}

// Shows `window` and starts live reception on a free data port, which it
// returns; 0, with the benchmark skipped, when that fails.
inline int showAndStartLive(manwindow& window, benchmark::State& state) {
    window.show();
    const int port = LiveSender::freePort();
    if (!startLive(window, port)) {
        state.SkipWithError("no display, or the ports could not be bound");
        return 0;
    }
    return port;
}

// The window's frames received, drawn and skipped from its construction to
// report(), per second of that time, which becomes the iteration's time.
class DrawRates {
public:
    explicit DrawRates(const manwindow& window)
        : window_(window), received0_(window.framesDelivered()),
          drawn0_(window.drawing().framesDrawn()), skipped0_(window.drawing().drawsSkipped()),
          start_(std::chrono::steady_clock::now()) {}

    void report(benchmark::State& state) const {
        const double elapsed =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        const DrawCoalescer& drawing = window_.drawing();
        state.SetIterationTime(elapsed);
        state.counters["received_per_s"] = (window_.framesDelivered() - received0_) / elapsed;
        state.counters["drawn_per_s"] = (drawing.framesDrawn() - drawn0_) / elapsed;
        state.counters["skipped_per_s"] = (drawing.drawsSkipped() - skipped0_) / elapsed;
    }

private:
    const manwindow& window_;
    std::uint64_t received0_;
    std::uint64_t drawn0_;
    std::uint64_t skipped0_;
    std::chrono::steady_clock::time_point start_;
};
