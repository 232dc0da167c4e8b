#include "advanced/WordSplit.h"

std::array<std::uint8_t, 2> splitWord16(long long value) {
    if (value < -32768 || value > 65535) {
        return {0, 0};
    }
    const auto bits = static_cast<std::uint16_t>(value);
    return {static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits & 0xFF)};
}

std::array<std::uint8_t, 4> splitWord32(long long value) {
    if (value < -2147483648LL || value > 2147483647LL) {
        return {0, 0, 0, 0};
    }
    const auto bits = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(bits >> 24), static_cast<std::uint8_t>(bits >> 16),
            static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits)};
}
