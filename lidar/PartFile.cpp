#include "lidar/PartFile.h"

#include <QFile>
#include <cerrno>
#include <sys/stat.h>

namespace {

// File names are handed to the C library in the local 8-bit encoding.
QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

} // namespace

PartFile::PartFile(const QString& path) : path_(path) {}

PartFile::~PartFile() {
    discard();
}

QString PartFile::partPath() const {
    return direct_ ? path_ : path_ + QStringLiteral(".part");
}

bool PartFile::open() {
    discard();
    error_.clear();
    written_ = 0;
    struct stat existing {};
    direct_ = ::stat(encoded(path_).constData(), &existing) == 0 && !S_ISREG(existing.st_mode);
    // "e": not handed on to programs started meanwhile.
    file_ = std::fopen(encoded(partPath()).constData(), "wbe");
    if (file_ == nullptr) {
        return fail(errno);
    }
    partExists_ = !direct_;
    return true;
}

bool PartFile::write(const void* data, std::size_t size) {
    if (file_ == nullptr) {
        return fail(EBADF);
    }
    if (std::fwrite(data, 1, size, file_) != size) {
        return fail(errno);
    }
    written_ += size;
    return true;
}

bool PartFile::flush() {
    if (file_ == nullptr) {
        return fail(EBADF);
    }
    return std::fflush(file_) == 0 || fail(errno);
}

bool PartFile::close() {
    if (file_ == nullptr) {
        return fail(EBADF);
    }
    bool whole = flush();
    if (whole && !direct_) {
        // A write the system took in part, or a file changed by another
        // program meanwhile, shows in its size.
        struct stat written {};
        if (::fstat(fileno(file_), &written) != 0) {
            whole = fail(errno);
        } else if (static_cast<std::uint64_t>(written.st_size) != written_) {
            whole = fail(QStringLiteral("the file holds %1 bytes of the %2 written")
                             .arg(written.st_size)
                             .arg(written_));
        }
    }
    const bool closed = std::fclose(file_) == 0;
    const int reason = errno;
    file_ = nullptr;
    return whole && (closed || fail(reason));
}

bool PartFile::commit() {
    if (!close()) {
        discard();
        return false;
    }
    if (partExists_ &&
        std::rename(encoded(partPath()).constData(), encoded(path_).constData()) != 0) {
        const int reason = errno;
        discard();
        return fail(reason);
    }
    partExists_ = false;
    return true;
}

bool PartFile::keep() {
    partExists_ = false;
    return close();
}

void PartFile::discard() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (partExists_) {
        std::remove(encoded(partPath()).constData());
        partExists_ = false;
    }
}

bool PartFile::fail(int reason) {
    return fail(qt_error_string(reason));
}

bool PartFile::fail(const QString& reason) {
    // The first reason is the one that counts: what followed came of it.
    if (error_.isEmpty()) {
        error_ = QStringLiteral("%1: %2").arg(path_, reason);
    }
    return false;
}
