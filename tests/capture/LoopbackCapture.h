#pragma once

#include "capture/LiveCapture.h"
#include "net/UdpSocket.h"

#include <QString>
#include <chrono>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

// Why live captures cannot run in this process (no capture permission),
// or an empty text when they can. Other failures are left to the test.
inline QString captureSkipReason() {
    QString error;
    if (LiveCapture::open("lo", 100ms, &error) == nullptr &&
        error == LiveCapture::permissionHelp()) {
        return "live capture needs root or CAP_NET_RAW (the test runner gives both in its "
               "namespace): " +
               error;
    }
    return {};
}

#define SKIP_WITHOUT_CAPTURE_PERMISSION()                                                          \
    do {                                                                                           \
        const QString reason = captureSkipReason();                                                \
        if (!reason.isEmpty()) {                                                                   \
            GTEST_SKIP() << qPrintable(reason);                                                    \
        }                                                                                          \
    } while (false)

// A loopback capture of the UDP traffic to one port of this machine; the
// port has a bound socket, so the traffic goes somewhere.
struct LoopbackPort {
    UdpSocket sink;
    std::unique_ptr<LiveCapture> capture;
    std::uint16_t port = 0;

    void open() {
        ASSERT_TRUE(sink.bindAny(0));
        port = sink.localPort();
        QString error;
        capture = LiveCapture::open("lo", 100ms, &error);
        ASSERT_NE(capture, nullptr) << qPrintable(error);
        ASSERT_TRUE(capture->setFilter("udp dst port " + std::to_string(port), &error))
            << qPrintable(error);
    }
};
