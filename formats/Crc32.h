#pragma once

#include <cstddef>
#include <cstdint>

// CRC-32 as zlib, PNG and the MCAP format compute it (polynomial
// 0xEDB88320, reflected, initial and final value 0xFFFFFFFF), continued
// over consecutive pieces: crc = Crc32::update(crc, piece) starting from 0.
namespace Crc32 {

std::uint32_t update(std::uint32_t crc, const void* data, std::size_t size);

} // namespace Crc32
