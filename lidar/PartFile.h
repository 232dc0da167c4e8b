#pragma once

#include <QString>
#include <cstddef>
#include <cstdio>

// A file written under a temporary name beside its own, NAME.part, and
// given its name only once it is whole, so that an export cut short by an
// error or a crash never leaves a file that looks complete. Either this
// class writes the part file, or another writer does (by partPath()) and
// commit() only renames it.
class PartFile {
public:
    explicit PartFile(const QString& path);
    // Removes the part file unless it was committed.
    ~PartFile();
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    const QString& path() const { return path_; }
    QString partPath() const { return path_ + QStringLiteral(".part"); }

    // Creates (or replaces) the part file for write().
    bool open();
    bool write(const void* data, std::size_t size);
    // Closes the part file and renames it to the file's name, replacing an
    // earlier file of that name.
    bool commit();
    // Closes and removes the part file.
    void discard();

    // The file and the reason of the last failure.
    const QString& error() const { return error_; }

private:
    bool fail(int reason);

    QString path_;
    std::FILE* file_ = nullptr;
    bool committed_ = false;
    QString error_;
};
