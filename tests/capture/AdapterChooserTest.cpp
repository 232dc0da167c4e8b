#include "capture/AdapterChooser.h"
#include "capture/DeviceInfoFrame.h"

#include <gtest/gtest.h>

namespace {

CaptureAdapter ethernet(const std::string& name, std::vector<std::string> addresses = {}) {
    CaptureAdapter a;
    a.name = name;
    a.linkType = 1;
    a.up = true;
    a.running = true;
    a.ipv4Addresses = std::move(addresses);
    return a;
}

CaptureAdapter loopback() {
    CaptureAdapter a = ethernet("lo", {"127.0.0.1"});
    a.loopback = true;
    return a;
}

CaptureAdapter pseudo(const std::string& name, const std::string& description, int linkType,
                      bool upAndRunning) {
    CaptureAdapter a;
    a.name = name;
    a.description = description;
    a.linkType = linkType;
    a.up = upAndRunning;
    a.running = upAndRunning;
    return a;
}

// What a stock Debian machine lists, in the capture library's order.
std::vector<CaptureAdapter> debianList(std::vector<CaptureAdapter> ethernets) {
    std::vector<CaptureAdapter> list = std::move(ethernets);
    list.push_back(pseudo("any", "Pseudo-device that captures on all interfaces", 113, true));
    list.push_back(loopback());
    list.push_back(pseudo("bluetooth-monitor", "Bluetooth Linux Monitor", 254, true));
    list.push_back(pseudo("nflog", "Linux netfilter log (NFLOG) interface", 239, false));
    list.push_back(pseudo("nfqueue", "Linux netfilter queue (NFQUEUE) interface", 239, false));
    list.push_back(pseudo("dbus-system", "D-Bus system bus", 231, false));
    list.push_back(pseudo("dbus-session", "D-Bus session bus", 231, false));
    return list;
}

std::vector<std::string> namesOf(const std::vector<CaptureAdapter>& adapters) {
    std::vector<std::string> names;
    for (const auto& a : adapters) {
        names.push_back(a.name);
    }
    return names;
}

using Kind = AdapterChooser::Decision::Kind;
using Names = std::vector<std::string>;

} // namespace

TEST(AdapterChooser, DecidesOverTheAdaptersOfTheMachine) {
    CaptureAdapter down = ethernet("eth2", {"10.0.0.5"});
    down.running = false;                         // no cable
    const CaptureAdapter bare = ethernet("eth3"); // capture port without an address
    struct Case {
        const char* what;
        std::vector<CaptureAdapter> adapters;
        std::string remembered;
        Kind kind;
        Names candidates;
    } cases[] = {
        {"only pseudo-adapters and loopback: loopback, never the Bluetooth monitor",
         debianList({}),
         "",
         Kind::Use,
         {"lo"}},
        {"one Ethernet adapter is used without asking",
         debianList({ethernet("eth0", {"192.168.1.102"})}),
         "",
         Kind::Use,
         {"eth0", "lo"}},
        {"an adapter that is not running does not count",
         debianList({ethernet("eth0", {"192.168.1.102"}), down}),
         "",
         Kind::Use,
         {"eth0", "lo"}},
        {"several are put to the user, addressed ones first, loopback last",
         debianList({bare, ethernet("eth0", {"192.168.1.102"}), ethernet("wlan0", {"10.1.1.7"})}),
         "",
         Kind::AskUser,
         {"eth0", "wlan0", "eth3", "lo"}},
        {"the remembered choice is used while it is there",
         debianList({ethernet("eth0", {"192.168.1.102"}), ethernet("wlan0", {"10.1.1.7"})}),
         "wlan0",
         Kind::Use,
         {"wlan0", "eth0", "lo"}},
        {"loopback can be the remembered choice",
         debianList({ethernet("eth0", {"192.168.1.102"}), ethernet("wlan0", {"10.1.1.7"})}),
         "lo",
         Kind::Use,
         {"lo", "eth0", "wlan0"}},
        {"a remembered adapter that went away is asked again",
         debianList({ethernet("eth0", {"192.168.1.102"}), ethernet("wlan0", {"10.1.1.7"})}),
         "eth9",
         Kind::AskUser,
         {"eth0", "wlan0", "lo"}},
        {"nothing fit",
         {pseudo("any", "", 113, true), pseudo("bluetooth-monitor", "Bluetooth", 254, true)},
         "",
         Kind::NoCandidate,
         {}},
    };
    for (const Case& c : cases) {
        const AdapterChooser::Decision d = AdapterChooser::decide(c.adapters, c.remembered);
        EXPECT_EQ(d.kind, c.kind) << c.what;
        EXPECT_EQ(namesOf(d.candidates), c.candidates) << c.what;
    }
}

TEST(DeviceInfoFrame, OnlyWholeFramesWithTheDevicePacketsStart) {
    const auto frame = [](std::size_t length, std::uint8_t fourth) {
        std::vector<std::uint8_t> f(length, 0);
        f[42] = 0xA5;
        f[43] = 0xFF;
        f[44] = 0x00;
        f[45] = fourth;
        return f;
    };
    struct Case {
        std::size_t length;
        std::uint8_t fourth;
        bool expected;
    } cases[] = {{1248, 0x5A, true}, {1248, 0x5B, false}, {1250, 0x5A, false}, {1247, 0x5A, false}};
    for (const Case& c : cases) {
        const auto f = frame(c.length, c.fourth);
        EXPECT_EQ(DeviceInfoFrame::isDeviceInfoFrame(f.data(), f.size()), c.expected)
            << c.length << " bytes, fourth byte " << int(c.fourth);
    }
}
