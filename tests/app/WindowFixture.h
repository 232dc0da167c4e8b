#pragma once

#include "app/CloudView.h"
#include "app/DrawCoalescer.h"
#include "app/ViewerSettings.h"
#include "app/manwindow.h"
#include "capture/ReadLiveOffData.h"
#include "device/GetSet.h"
#include "lidar/DataPacketWriter.h"
#include "lidar/GetMuch.h"
#include "net/UdpSocket.h"
#include "support/ModalCatcher.h"
#include "support/QtWait.h"

#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <QVTKOpenGLNativeWidget.h>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

// Points on a ring 20 cm around the sensor on the level channel, inside the
// "Top" camera's field of view. Intensities run through the whole ramp.
struct RingPoint {
    std::uint8_t channel = 68;
    std::uint16_t azimuthRaw = 0;
    std::uint32_t distanceRaw = 20 * 256;
    std::uint8_t intensity = 0;
};

inline std::vector<RingPoint> ring(int count) {
    std::vector<RingPoint> points(count);
    for (int i = 0; i < count; ++i) {
        points[i].azimuthRaw = static_cast<std::uint16_t>(i * 36000 / count);
        points[i].intensity = static_cast<std::uint8_t>(i % 256);
    }
    return points;
}

// Payloads of frames: a marker (unless left out), then each frame followed by
// its closing marker. Without the opening marker the payloads can be sent
// again and again, one frame each time.
inline std::vector<DataPacketWriter::Payload>
payloadsOf(const std::vector<std::vector<RingPoint>>& frames, bool openingMarker = true) {
    std::vector<DataPacketWriter::Payload> out;
    DataPacketWriter writer([&](const DataPacketWriter::Payload& p) { out.push_back(p); });
    if (openingMarker) {
        writer.addMarker();
    }
    for (const auto& frame : frames) {
        for (const RingPoint& p : frame) {
            writer.addPoint(p.channel, p.azimuthRaw, p.distanceRaw, p.intensity);
        }
        writer.addMarker();
    }
    writer.flush();
    return out;
}

// A port no socket of this namespace uses right now.
inline int freeUdpPort() {
    UdpSocket probe;
    probe.bindAny(0);
    return probe.localPort();
}

// A shown main window with its helpers for pressing buttons and sending
// frames to its live receiver over loopback.
class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    void TearDown() override { window.close(); }

    template <class T = QWidget>
    T* child(const char* name) {
        T* found = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QToolButton* button(const char* name) { return child<QToolButton>(name); }
    QVTKOpenGLNativeWidget* screen() { return child<QVTKOpenGLNativeWidget>("screen"); }

    // Presses "Lidar" with the data port field set to `port` and the
    // equipment port field to `statusPort` (0: a free port) and waits until
    // both receivers have bound.
    bool startLive(int port = 0, int statusPort = 0) {
        child<QLineEdit>("lineEdit_portNumber")
            ->setText(QString::number(port == 0 ? freeUdpPort() : port));
        child<QLineEdit>("lineEdit_portNumber_2")
            ->setText(QString::number(statusPort == 0 ? freeUdpPort() : statusPort));
        button("toolButton_Lidar")->click();
        return waitUntil([this] {
            return window.liveReceiverThread().boundPort() != 0 &&
                   window.statusReceiverThread().boundPort() != 0;
        });
    }
    int boundPort() { return window.liveReceiverThread().boundPort(); }

    void send(const std::vector<DataPacketWriter::Payload>& payloads) {
        for (const auto& p : payloads) {
            ASSERT_TRUE(sender.sendTo("127.0.0.1", static_cast<std::uint16_t>(boundPort()),
                                      p.data(), p.size()));
        }
    }

    // Hands the window a frame as a receiver would and waits until it is
    // drawn.
    void show(const MuchLidarData& frame) {
        const std::uint64_t delivered = window.framesDelivered();
        QMetaObject::invokeMethod(&window, "CalculateMuch", Qt::QueuedConnection,
                                  Q_ARG(MuchLidarData, frame));
        ASSERT_TRUE(waitForDrawn(delivered, 1));
    }

    // Waits until `frames` more frames have been delivered and the last of
    // them drawn.
    bool waitForDrawn(std::uint64_t deliveredBefore, std::uint64_t frames) {
        return waitUntil([&] {
            return window.framesDelivered() >= deliveredBefore + frames &&
                   !window.drawing().drawPending();
        });
    }

    // Holds the capture player, on its own thread, once it has sent frame
    // `frame` (once): a pause pressed when that frame is on screen finds the
    // player there however slowly the window drew the frames before.
    void holdPlayerAt(int frame) {
        ReadLiveOffData& player = window.offlinePlayerThread();
        auto held = std::make_shared<std::atomic<bool>>(false);
        QObject::connect(
            &player, &ReadLiveOffData::SendFrameNumber, &window,
            [&player, frame, held](int number) {
                if (number == frame && !held->exchange(true)) {
                    player.closeGate();
                }
            },
            Qt::DirectConnection);
    }

    // Every window starts as on a first run (the test program's own
    // settings folder holds what earlier windows left).
    struct FirstRun {
        FirstRun() { ViewerSettings::forgetAll(); }
    } firstRun;
    manwindow window;
    UdpSocket sender;
};

// Pixels that differ between two images of the same size.
inline int differingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) {
        return a.width() * a.height();
    }
    int n = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            n += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
        }
    }
    return n;
}
