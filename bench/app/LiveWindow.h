#pragma once

#include "LiveSender.h"
#include "app/manwindow.h"
#include "device/GetSet.h"
#include "lidar/GetMuch.h"

#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <benchmark/benchmark.h>

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
