#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

// A sensor on the network, known by where its data datagrams come from: the
// IPv4 source address and the UDP source port. Two sensors on one port are
// told apart by it; a frame is only ever cut from one sensor's datagrams.
struct SensorId {
    std::uint32_t address = 0; // host byte order
    std::uint16_t port = 0;

    bool operator==(const SensorId& other) const {
        return address == other.address && port == other.port;
    }
    bool operator!=(const SensorId& other) const { return !(*this == other); }
    bool operator<(const SensorId& other) const {
        return address != other.address ? address < other.address : port < other.port;
    }

    // "10.0.0.2": how messages, file names and settings name a sensor.
    QString text() const;
    // "10.0.0.2:2368".
    QString textWithPort() const;
    // The address, or the address and port when another sensor of `all`
    // has the same address.
    QString label(const std::vector<SensorId>& all) const;
    // The labels of `sensors`, comma-separated: "10.0.0.2, 10.0.0.3".
    static QString labels(const std::vector<SensorId>& sensors);
    // Why a sensor named as typed (`wanted`, see parse) gives no frames:
    // none of `heard` is it.
    static QString notHeard(const SensorId& wanted, const std::vector<SensorId>& heard);

    // "ADDR" or "ADDR:PORT", as typed. Without a port the result has port
    // 0, which matches() takes as any port.
    static std::optional<SensorId> parse(const QString& text);
    // Whether `sensor` is the one this pattern names.
    bool matches(const SensorId& sensor) const {
        return address == sensor.address && (port == 0 || port == sensor.port);
    }
};
