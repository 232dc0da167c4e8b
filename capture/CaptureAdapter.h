#pragma once

#include <string>
#include <vector>

// One network adapter as the capture library lists it, with what the
// adapter choice needs to know about it.
struct CaptureAdapter {
    std::string name;        // the capture library's device name, e.g. "eth0"
    std::string description; // may be empty
    int linkType = -1;       // DLT_* of the opened device (1 = Ethernet); -1 when unknown
    bool up = false;
    bool running = false;
    bool loopback = false;
    std::vector<std::string> ipv4Addresses; // dotted decimal

    // "eth0 (192.168.1.102)", "lo (127.0.0.1)", or the bare name.
    std::string label() const;
};
