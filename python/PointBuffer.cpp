#include "python/PointBuffer.h"

#include <algorithm>
#include <cstdlib>
#include <new>
#include <utility>

// The block never has size 0: malloc(0) may give a null pointer, and
// realloc(p, 0) frees p. An empty frame still owns a block of one point.
PointBuffer::PointBuffer(std::size_t capacity)
    : data_(static_cast<PointRecord*>(
          std::malloc(std::max<std::size_t>(capacity, 1) * sizeof(PointRecord)))),
      size_(capacity) {
    if (data_ == nullptr) {
        throw std::bad_alloc();
    }
}

PointBuffer::~PointBuffer() {
    std::free(data_);
}

PointBuffer::PointBuffer(PointBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

PointBuffer& PointBuffer::operator=(PointBuffer&& other) noexcept {
    if (this != &other) {
        std::free(data_);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

void PointBuffer::shrinkTo(std::size_t size) {
    if (size >= size_) {
        return;
    }
    // Shrinking keeps the block where it is (or remaps its pages): the
    // points are not copied. Should it fail, the larger block serves.
    if (auto* smaller = static_cast<PointRecord*>(
            std::realloc(data_, std::max<std::size_t>(size, 1) * sizeof(PointRecord)))) {
        data_ = smaller;
    }
    size_ = size;
}

PointRecord* PointBuffer::release() {
    size_ = 0;
    return std::exchange(data_, nullptr);
}
