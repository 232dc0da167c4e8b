#include "formats/Crc32.h"

#include <algorithm>
#include <limits>
#include <zlib.h>

namespace Crc32 {

std::uint32_t update(std::uint32_t crc, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const Bytef*>(data);
    // zlib takes lengths of its own unsigned int.
    constexpr std::size_t kPiece = std::numeric_limits<uInt>::max();
    uLong value = crc;
    while (size > 0) {
        const std::size_t n = std::min(size, kPiece);
        value = crc32(value, bytes, static_cast<uInt>(n));
        bytes += n;
        size -= n;
    }
    return static_cast<std::uint32_t>(value);
}

} // namespace Crc32
