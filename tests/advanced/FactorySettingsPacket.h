#pragma once

#include "device/DeviceInfoPacket.h"

#include <algorithm>
#include <initializer_list>

// The default configuration packet ("Restore Laser set") byte for byte as
// its published layout gives it, sent at a host local time: 300 rpm,
// 192.168.1.200 to 192.168.1.102, ports 2368 and 2369, packet interval 1.
inline DeviceInfoPacket::Bytes factorySettingsPacket(int year, int month, int day, int hour,
                                                     int minute, int second) {
    DeviceInfoPacket::Bytes p{};
    const auto put = [&p](std::size_t at, std::initializer_list<int> bytes) {
        std::transform(bytes.begin(), bytes.end(), p.begin() + static_cast<std::ptrdiff_t>(at),
                       [](int b) { return static_cast<std::uint8_t>(b); });
    };
    put(0, {0xAA, 0x00, 0xFF, 0x11, 0x22, 0x22, 0xAA, 0xAA, 0x01, 0x2C, 0xC0, 0xA8, 0x01, 0xC8,
            0xC0, 0xA8, 0x01, 0x66});
    put(24, {0x09, 0x40, 0x09, 0x41});
    put(36, {year - 2000, month, day, hour, minute, second});
    put(50, {0x00, 0x01});
    put(1204, {0x0F, 0xF0});
    return p;
}
