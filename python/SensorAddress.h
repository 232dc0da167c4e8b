#pragma once

#include <cstdint>
#include <string>

// A sensor as the Python module names it: the source address and port of
// its data datagrams (host byte order). 0:0 is a sensor whose datagrams do
// not tell where they came from.
struct SensorAddress {
    std::uint32_t address = 0;
    std::uint16_t port = 0;

    bool known() const { return address != 0 || port != 0; }
    // "192.168.1.200:2368"; empty when not known.
    std::string text() const;
    std::string addressText() const;

    // Whether this sensor is the one `wanted` names; a wanted port of 0
    // takes any port of the address.
    bool matches(const SensorAddress& wanted) const {
        return address == wanted.address && (wanted.port == 0 || port == wanted.port);
    }
    bool operator==(const SensorAddress& other) const {
        return address == other.address && port == other.port;
    }

    // "ADDR" or "ADDR:PORT", the address dotted; false when it is neither.
    static bool parse(const std::string& text, SensorAddress& sensor);

    // The sender of a data payload that LinkLayer found in a captured
    // frame, read from the IPv4 and UDP headers in front of it. Those lie
    // inside every frame LinkLayer accepts; the address is read only where
    // the IPv4 header is the plain 20 bytes that untagged Ethernet data
    // frames have (and other frames all but always), which its version,
    // length, total length and protocol confirm; otherwise it is 0:0.
    static SensorAddress ofCapturedPayload(const std::uint8_t* payload);
};
