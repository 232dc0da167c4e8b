#pragma once

#include <cstdint>
#include <cstring>
#include <string>

// Appends fixed-size fields to a byte buffer in little-endian order, the
// order of the file formats written here (and of this machine, which lets
// arrays of floats be copied as they are).
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the writers assume a little-endian host");

namespace LittleEndian {

template <class T>
void put(std::string& out, T value) {
    char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    out.append(bytes, sizeof(T));
}

inline void putU8(std::string& out, std::uint8_t v) {
    put(out, v);
}
inline void putU16(std::string& out, std::uint16_t v) {
    put(out, v);
}
inline void putU32(std::string& out, std::uint32_t v) {
    put(out, v);
}
inline void putU64(std::string& out, std::uint64_t v) {
    put(out, v);
}
inline void putI32(std::string& out, std::int32_t v) {
    put(out, v);
}
inline void putF32(std::string& out, float v) {
    put(out, v);
}
inline void putF64(std::string& out, double v) {
    put(out, v);
}

// Overwrites a field written earlier at `at`.
template <class T>
void patch(std::string& out, std::size_t at, T value) {
    std::memcpy(&out[at], &value, sizeof(T));
}

} // namespace LittleEndian
