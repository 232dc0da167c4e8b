#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

// A file opened read-only and read at given offsets, by any number of
// threads at once. Reads copy from the page cache into the caller's buffer,
// so another program shortening the file makes a read come up short instead
// of faulting, as touching a mapping of the lost pages would.
class ReadOnlyFile {
public:
    ReadOnlyFile() = default;
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    bool open(const QString& path, QString* errorText);

    // The size when the file was opened.
    std::uint64_t size() const { return size_; }

    // Reads up to `length` bytes at `offset`; fewer where the file now ends,
    // none on an error.
    std::size_t readAt(std::uint64_t offset, std::uint8_t* into, std::size_t length) const;

    // Hints for one pass from start to end: read ahead, and start reading
    // [offset, offset + length) from the disk in the background.
    void adviseSequential() const;
    void prefetch(std::uint64_t offset, std::uint64_t length) const;

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};
