#pragma once

#include "python/PointRecord.h"

#include <cstddef>

// The points of one frame in one block of memory from malloc, so that a
// NumPy array can own it (and free it) without a copy. The block is sized
// for every point of the frame and shrunk, in place, to the points kept.
class PointBuffer {
public:
    explicit PointBuffer(std::size_t capacity);
    ~PointBuffer();
    PointBuffer(PointBuffer&& other) noexcept;
    PointBuffer& operator=(PointBuffer&& other) noexcept;
    PointBuffer(const PointBuffer&) = delete;
    PointBuffer& operator=(const PointBuffer&) = delete;

    PointRecord* data() const { return data_; }
    std::size_t size() const { return size_; }

    // Keeps the first `size` points (at most the capacity) and gives the
    // rest of the block back.
    void shrinkTo(std::size_t size);

    // Hands the block to its new owner, who frees it with std::free.
    PointRecord* release();

private:
    PointRecord* data_ = nullptr;
    std::size_t size_ = 0;
};
