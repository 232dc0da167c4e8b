#pragma once

#include <cstdint>
#include <cstring>
#include <string>

// Expected file contents spelled out field by field, little-endian, in the
// order the file formats lay them out.
class ExpectedBytes {
public:
    ExpectedBytes& u8(std::uint8_t v) { return put(v); }
    ExpectedBytes& u16(std::uint16_t v) { return put(v); }
    ExpectedBytes& u32(std::uint32_t v) { return put(v); }
    ExpectedBytes& u64(std::uint64_t v) { return put(v); }
    ExpectedBytes& i32(std::int32_t v) { return put(v); }
    ExpectedBytes& f64(double v) { return put(v); }
    ExpectedBytes& raw(const std::string& bytes) {
        data += bytes;
        return *this;
    }
    // A text of `size` bytes, padded with NULs.
    ExpectedBytes& text(const std::string& t, std::size_t size) {
        return raw(t + std::string(size - t.size(), '\0'));
    }

    std::string data;

private:
    template <class T>
    ExpectedBytes& put(T v) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &v, sizeof v);
        for (std::size_t i = 0; i < sizeof v; ++i) {
            data += static_cast<char>(bits >> (8 * i) & 0xFF);
        }
        return *this;
    }
};

// CRC-32 bit by bit, apart from the table-driven one under test.
inline std::uint32_t bitwiseCrc32(const std::string& bytes) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (const char c : bytes) {
        crc ^= static_cast<std::uint8_t>(c);
        for (int bit = 0; bit < 8; ++bit) {
            crc = crc & 1 ? crc >> 1 ^ 0xEDB88320 : crc >> 1;
        }
    }
    return ~crc;
}

// Bytes shown as hex, for readable failures.
inline std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<std::uint8_t>(bytes[i]);
        out += i % 16 == 0 ? (i == 0 ? "" : "\n") : " ";
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}
