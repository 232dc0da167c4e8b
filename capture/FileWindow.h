#pragma once

#include "capture/ReadOnlyFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// A window onto a capture file, refilled with one large read whenever bytes
// outside it are asked for. Reading through it instead of a mapping, a file
// shortened while it is open gives nullptr and the first lost byte, not a
// SIGBUS.
class FileWindow {
public:
    static constexpr std::size_t kCapacity = 256 << 10;

    explicit FileWindow(const ReadOnlyFile& file);

    std::uint64_t size() const { return file_.size(); }
    std::size_t capacity() const { return capacity_; }

    // The bytes [offset, offset + length), which lie within the size the
    // file had when it was opened, or nullptr when the file no longer holds
    // them (see lostAt()). A refill starts at `fillFrom`, at most `offset`
    // and no more than capacity() before the end of the view, so a walk
    // backward can keep the bytes before the view.
    const std::uint8_t* view(std::uint64_t offset, std::size_t length, std::uint64_t fillFrom);
    const std::uint8_t* view(std::uint64_t offset, std::size_t length) {
        return view(offset, length, offset);
    }

    // After a view that came back empty: the first byte that could no longer
    // be read.
    std::uint64_t lostAt() const { return lost_; }

private:
    const ReadOnlyFile& file_;
    std::size_t capacity_; // no more than the file needs
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::uint64_t start_ = 0;
    std::size_t filled_ = 0;
    std::uint64_t lost_ = 0;
};
