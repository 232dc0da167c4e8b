#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>

// A read-only view of bytes with big-endian field readers. Sizes are checked
// once where the bytes enter (a datagram, a capture record); the readers
// only assert that a field lies inside the view.
class ByteSpan {
public:
    constexpr ByteSpan(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    bool contains(std::size_t offset, std::size_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }

    std::uint8_t u8(std::size_t offset) const {
        assert(contains(offset, 1));
        return data_[offset];
    }
    std::uint16_t be16(std::size_t offset) const {
        assert(contains(offset, 2));
        return static_cast<std::uint16_t>(data_[offset] << 8 | data_[offset + 1]);
    }
    std::uint32_t be24(std::size_t offset) const {
        assert(contains(offset, 3));
        return static_cast<std::uint32_t>(data_[offset]) << 16 |
               static_cast<std::uint32_t>(data_[offset + 1]) << 8 | data_[offset + 2];
    }
    std::uint32_t be32(std::size_t offset) const {
        assert(contains(offset, 4));
        return static_cast<std::uint32_t>(be16(offset)) << 16 | be16(offset + 2);
    }
    ByteSpan sub(std::size_t offset, std::size_t length) const {
        assert(contains(offset, length));
        return ByteSpan(data_ + offset, length);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};
