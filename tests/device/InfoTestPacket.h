#pragma once

#include "device/DeviceInfoPacket.h"
#include "device/DeviceReport.h"

#include <QByteArray>
#include <cstdint>
#include <initializer_list>

// A device-information packet for tests: identification bytes A5 FF and a
// byte pattern everywhere else, so a byte taken from the wrong offset shows.
// Fields are written by their raw offsets.
struct InfoTestPacket {
    DeviceInfoPacket::Bytes bytes{};

    explicit InfoTestPacket(std::uint8_t seed = 0) {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<std::uint8_t>(i * 13 + 7 + seed);
        }
        put(0, {0xA5, 0xFF});
    }

    InfoTestPacket& put(std::size_t offset, std::initializer_list<std::uint8_t> values) {
        for (std::uint8_t v : values) {
            bytes[offset++] = v;
        }
        return *this;
    }
    InfoTestPacket& putBe16(std::size_t offset, int value) {
        return put(offset, {static_cast<std::uint8_t>(value >> 8),
                            static_cast<std::uint8_t>(value & 0xFF)});
    }

    // A sensor at 127.0.0.1 reporting the usual ports, 600 rpm, running.
    static InfoTestPacket plausible(std::uint8_t seed = 0) {
        InfoTestPacket p(seed);
        p.put(10, {127, 0, 0, 1})
            .put(14, {127, 0, 0, 2})
            .put(18, {0x00, 0x0A, 0x35, 0x00, 0x1E, 0x53});
        p.putBe16(24, 2368).putBe16(26, 2369).put(28, {127, 0, 0, 3});
        p.putBe16(8, 600).putBe16(46, 0).putBe16(50, 1);
        return p;
    }

    // The packet as the status receiver delivers it from `sender`, received
    // `age` ago.
    DeviceReport from(const AddressBytes& sender = {127, 0, 0, 1},
                      std::chrono::milliseconds age = std::chrono::milliseconds(0)) const {
        return DeviceReport{sender, bytes, DeviceReport::Clock::now() - age};
    }

    ByteSpan span() const { return ByteSpan(bytes.data(), bytes.size()); }
    QByteArray toByteArray() const {
        return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                          static_cast<int>(bytes.size()));
    }
};
