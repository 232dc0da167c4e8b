#pragma once

#include <array>
#include <cstdint>

// How numbers become the big-endian bytes of the advanced packets.

// 1..65535 as (high, low); -32768..-1 in two's complement; 0 and anything
// that does not fit 16 bits give (00, 00).
std::array<std::uint8_t, 2> splitWord16(long long value);

// Four bytes, most significant first; negative values in two's complement;
// anything outside 32-bit signed range gives four zero bytes.
std::array<std::uint8_t, 4> splitWord32(long long value);
