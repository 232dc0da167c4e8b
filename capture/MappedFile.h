#pragma once

#include <QFile>
#include <QString>
#include <cstdint>

// A whole file mapped read-only; unmapped when the object goes.
class MappedFile {
public:
    explicit MappedFile(const QString& path);
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // An empty file maps to no bytes and succeeds.
    bool map(QString* errorText);

    const std::uint8_t* data() const { return data_; }
    std::uint64_t size() const { return size_; }

    // Read-ahead hint for one pass from start to end; off again afterwards.
    void adviseSequential(bool sequential);
    // Starts reading [offset, offset + length) from the disk in the
    // background, so a first pass over a file not yet cached does not wait
    // for each small read-ahead in turn.
    void prefetch(std::uint64_t offset, std::uint64_t length);
    // Takes the pages before `offset` out of the process's resident set.
    // They stay in the page cache and are mapped again when next read, so
    // indexing a file larger than the memory does not hold it all resident.
    void releaseResidentBelow(std::uint64_t offset);

private:
    QFile file_;
    const std::uint8_t* data_ = nullptr;
    std::uint64_t size_ = 0;
    std::uint64_t released_ = 0;
};
