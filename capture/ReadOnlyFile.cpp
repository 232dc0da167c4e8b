#include "capture/ReadOnlyFile.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

ReadOnlyFile::~ReadOnlyFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool ReadOnlyFile::open(const QString& path, QString* errorText) {
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    struct stat status {};
    if (fd_ < 0 || ::fstat(fd_, &status) != 0) {
        *errorText = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        *errorText = QFile::tr("Not a regular file");
        return false;
    }
    size_ = static_cast<std::uint64_t>(status.st_size);
    return true;
}

std::size_t ReadOnlyFile::readAt(std::uint64_t offset, std::uint8_t* into,
                                 std::size_t length) const {
    std::size_t done = 0;
    while (done < length) {
        const ssize_t got =
            ::pread(fd_, into + done, length - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

void ReadOnlyFile::adviseSequential() const {
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

void ReadOnlyFile::prefetch(std::uint64_t offset, std::uint64_t length) const {
    ::posix_fadvise(fd_, static_cast<off_t>(offset), static_cast<off_t>(length),
                    POSIX_FADV_WILLNEED);
}
