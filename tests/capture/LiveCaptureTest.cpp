#include "LoopbackCapture.h"
#include "capture/AdapterChooser.h"
#include "capture/DeviceInfoFrame.h"
#include "support/LoopbackOnly.h"

#include <QCoreApplication>
#include <algorithm>
#include <array>
#include <future>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Payload = std::array<std::uint8_t, 1206>;

Payload deviceInfoPayload() {
    Payload p{};
    p[0] = 0xA5;
    p[1] = 0xFF;
    p[2] = 0x00;
    p[3] = 0x5A;
    return p;
}

void sendTimes(UdpSocket& socket, std::uint16_t port, const Payload& p, int times) {
    for (int i = 0; i < times; ++i) {
        ASSERT_TRUE(socket.sendTo("127.0.0.1", port, p.data(), p.size()));
    }
}

} // namespace

TEST(LiveCapture, ListsLoopbackAsTheOnlyCandidateOfTheTestNamespace) {
    if (!onlyLoopbackInterfaces()) {
        GTEST_SKIP() << "needs a network namespace with loopback only";
    }
    QString error;
    const std::vector<CaptureAdapter> adapters = LiveCapture::listAdapters(&error);
    ASSERT_FALSE(adapters.empty()) << qPrintable(error);
    const auto lo = std::find_if(adapters.begin(), adapters.end(),
                                 [](const CaptureAdapter& a) { return a.name == "lo"; });
    ASSERT_NE(lo, adapters.end());
    EXPECT_EQ(lo->linkType, 1);
    EXPECT_TRUE(lo->up && lo->running && lo->loopback);
    EXPECT_EQ(lo->ipv4Addresses, std::vector<std::string>{"127.0.0.1"});

    AdapterChooser::forget();
    EXPECT_EQ(AdapterChooser::resolve({}, &error), std::optional<std::string>("lo"));
}

TEST(LiveCapture, WaitForInfoPacketExaminesNoMoreThanTheLimit) {
    SKIP_WITHOUT_CAPTURE_PERMISSION();
    LoopbackPort lo;
    lo.open();
    if (HasFatalFailure()) {
        return;
    }
    UdpSocket sender;
    sendTimes(sender, lo.port, Payload{}, 1000);
    sendTimes(sender, lo.port, deviceInfoPayload(), 1);

    // The device packet is frame 1001: not looked at, so still there next time.
    EXPECT_FALSE(DeviceInfoFrame::waitForInfoPacket(*lo.capture, 1000, 60s));
    const auto found = DeviceInfoFrame::waitForInfoPacket(*lo.capture, 1, 60s);
    ASSERT_TRUE(found);
    ASSERT_EQ(found->size(), 1248u);
    EXPECT_TRUE(std::equal(found->begin() + 42, found->end(), deviceInfoPayload().begin()));
}

TEST(LiveCapture, TheDeviceFrameFiltersHandOverOnlyCandidates) {
    SKIP_WITHOUT_CAPTURE_PERMISSION();
    LoopbackPort lo;
    lo.open();
    if (HasFatalFailure()) {
        return;
    }
    const auto filtered = [](const std::string& filter) {
        QString error;
        auto capture = LiveCapture::open("lo", 100ms, &error);
        if (capture == nullptr || !capture->setFilter(filter, &error)) {
            ADD_FAILURE() << qPrintable(error);
            capture.reset();
        }
        return capture;
    };
    const auto anySensor = filtered(DeviceInfoFrame::captureFilter(""));
    const auto third = filtered(DeviceInfoFrame::captureFilter("127.0.0.3"));
    ASSERT_TRUE(anySensor && third);

    // A second of a sensor's data, then the signature in a datagram one byte
    // too long, then a device packet: the first frame the search examines
    // is the device packet.
    UdpSocket sender;
    sendTimes(sender, lo.port, Payload{}, 2000);
    std::array<std::uint8_t, 1207> tooLong{0xA5, 0xFF, 0x00, 0x5A};
    ASSERT_TRUE(sender.sendTo("127.0.0.1", lo.port, tooLong.data(), tooLong.size()));
    sendTimes(sender, lo.port, deviceInfoPayload(), 1);
    const auto found = DeviceInfoFrame::waitForInfoPacket(*anySensor, 1, 60s);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->size(), 1248u);

    // Then device packets of two more sensors: one sensor's search sees
    // only its own.
    for (const char* from : {"127.0.0.2", "127.0.0.3"}) {
        UdpSocket sensor;
        ASSERT_TRUE(sensor.bindTo(from, 0));
        sendTimes(sensor, lo.port, deviceInfoPayload(), 1);
    }
    const auto own = DeviceInfoFrame::waitForInfoPacket(*third, 1, 60s);
    ASSERT_TRUE(own);
    EXPECT_EQ(std::vector<std::uint8_t>(own->begin() + 26, own->begin() + 30),
              (std::vector<std::uint8_t>{127, 0, 0, 3}));
}

TEST(LiveCapture, WaitForInfoPacketEndsWithoutTrafficAtItsBoundOrWhenCancelled) {
    SKIP_WITHOUT_CAPTURE_PERMISSION();
    LoopbackPort lo;
    lo.open();
    if (HasFatalFailure()) {
        return;
    }
    // Read time-outs alone do not end the wait; the overall bound does.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(DeviceInfoFrame::waitForInfoPacket(*lo.capture, 1000, 350ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 350ms);

    std::atomic<bool> cancel{false};
    auto waiting = std::async(std::launch::async, [&] {
        return DeviceInfoFrame::waitForInfoPacket(*lo.capture, 1000, std::chrono::hours(1),
                                                  &cancel);
    });
    cancel = true;
    ASSERT_EQ(waiting.wait_for(60s), std::future_status::ready);
    EXPECT_FALSE(waiting.get());
}

TEST(LiveCapture, SaysWhyAnAdapterOrAFilterFails) {
    SKIP_WITHOUT_CAPTURE_PERMISSION();
    QString error;
    EXPECT_EQ(LiveCapture::open("nosuch0", 100ms, &error), nullptr);
    EXPECT_TRUE(error.contains("nosuch0")) << qPrintable(error);

    auto capture = LiveCapture::open("lo", 100ms, &error);
    ASSERT_NE(capture, nullptr) << qPrintable(error);
    for (const char* filter : {"port abc", "port 70000", "port "}) {
        error.clear();
        EXPECT_FALSE(capture->setFilter(filter, &error)) << filter;
        EXPECT_TRUE(error.startsWith(QStringLiteral("The capture filter \"%1\"").arg(filter)))
            << qPrintable(error);
    }
}

// An unprivileged user (a child process that gives up root) is told how to
// grant the capability.
TEST(LiveCapture, WithoutPermissionTellsHowToGrantIt) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to become an unprivileged user";
    }
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipe[0]);
        char answer = 'u'; // could not become the unprivileged user
        if (::setgroups(0, nullptr) == 0 && ::setresgid(65534, 65534, 65534) == 0 &&
            ::setresuid(65534, 65534, 65534) == 0) {
            QString error;
            const bool opened = LiveCapture::open("lo", 100ms, &error) != nullptr;
            answer = opened ? 'o' : error == LiveCapture::permissionHelp() ? 'h' : 'x';
        }
        (void)!::write(pipe[1], &answer, 1);
        ::_exit(0);
    }
    ::close(pipe[1]);
    char answer = 0;
    const ssize_t got = ::read(pipe[0], &answer, 1);
    ::close(pipe[0]);
    ::waitpid(child, nullptr, 0);
    ASSERT_EQ(got, 1);
    if (answer == 'u') {
        GTEST_SKIP() << "this namespace has no unprivileged user to become";
    }
    EXPECT_EQ(answer, 'h') << "o: opened without permission, x: another message";

    const QString help = LiveCapture::permissionHelp();
    EXPECT_TRUE(help.contains("CAP_NET_RAW"));
    EXPECT_TRUE(help.contains("setcap cap_net_raw+eip " + QCoreApplication::applicationFilePath()))
        << qPrintable(help);
}
