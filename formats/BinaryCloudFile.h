#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Binary PCD (version 0.7) and PLY (1.0, little-endian) files of points with
// the fields x, y, z and intensity (32-bit floats) and channel (an unsigned
// byte): a text header, then the points one after the other, 17 bytes each,
// little-endian and packed, as both layouts keep binary data. The point
// cloud library and the mesh and point-cloud programs read them.
namespace BinaryCloudFile {

enum class Kind { Pcd, Ply };

constexpr std::size_t kPointSize = 17;

// The header of an unorganised cloud of `points` points, ending with its
// line end: the points follow directly.
std::string header(Kind kind, std::size_t points);

inline void appendPoint(std::string& out, float x, float y, float z, float intensity,
                        std::uint8_t channel) {
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the floats are copied as they are");
    const float fields[4] = {x, y, z, intensity};
    out.append(reinterpret_cast<const char*>(fields), sizeof fields);
    out.push_back(static_cast<char>(channel));
}

} // namespace BinaryCloudFile
