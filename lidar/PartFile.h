#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdio>

// A file written under a temporary name beside its own, NAME.part, and
// given its name only once it is whole, so that an export cut short by an
// error, a signal or a crash never leaves a file that looks complete.
// Whole means every write and flush succeeded, the file holds exactly the
// bytes written, and it closed without an error.
//
// A name that is already something other than a regular file (a pipe, a
// terminal, /dev/null) is written directly: it cannot be replaced, and
// what it receives is a stream, not a file that could look whole.
class PartFile {
public:
    explicit PartFile(const QString& path);
    // Removes the part file unless it was committed or kept.
    ~PartFile();
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    const QString& path() const { return path_; }
    // Where the bytes go until the file is whole.
    QString partPath() const;

    // Creates (or replaces) the part file.
    bool open();
    bool isOpen() const { return file_ != nullptr; }
    bool write(const void* data, std::size_t size);
    // Hands what was written to the system, so that a full disk shows up
    // now and a reader of the part file sees it.
    bool flush();
    // Checks that the part file is whole, closes it and renames it to the
    // file's name, replacing an earlier file of that name. On failure the
    // part file is removed.
    bool commit();
    // Closes the part file and leaves it under its part name: the output
    // of a run that was stopped before it was complete.
    bool keep();
    // Closes and removes the part file.
    void discard();

    std::uint64_t bytesWritten() const { return written_; }
    // The file and the reason of the last failure: "out.csv: No space left
    // on device".
    const QString& error() const { return error_; }

private:
    bool fail(int reason);
    bool fail(const QString& reason);
    bool close();

    QString path_;
    bool direct_ = false; // the name is a pipe or a device: no part file
    std::FILE* file_ = nullptr;
    std::uint64_t written_ = 0;
    bool partExists_ = false; // made by open(), neither renamed nor kept yet
    QString error_;
};
