#include "capture/MappedFile.h"

#include <QCoreApplication>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <sys/mman.h>
#include <unistd.h>
#endif

MappedFile::MappedFile(const QString& path) : file_(path) {}

bool MappedFile::map(QString* errorText) {
    if (!file_.open(QIODevice::ReadOnly)) {
        *errorText = file_.errorString();
        return false;
    }
    size_ = static_cast<std::uint64_t>(file_.size());
    if (size_ == 0) {
        return true;
    }
    data_ = file_.map(0, file_.size());
    if (!data_) {
        *errorText =
            QCoreApplication::translate("CaptureFile", "The file cannot be mapped into memory: %1")
                .arg(file_.errorString());
        return false;
    }
    return true;
}

void MappedFile::adviseSequential(bool sequential) {
#ifdef Q_OS_UNIX
    if (data_) {
        ::madvise(const_cast<std::uint8_t*>(data_), size_,
                  sequential ? MADV_SEQUENTIAL : MADV_NORMAL);
    }
#else
    Q_UNUSED(sequential);
#endif
}

void MappedFile::prefetch(std::uint64_t offset, std::uint64_t length) {
#ifdef Q_OS_UNIX
    static const auto page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    const std::uint64_t begin = std::min(offset, size_) / page * page;
    const std::uint64_t end = std::min(offset + length, size_);
    if (data_ && end > begin) {
        ::madvise(const_cast<std::uint8_t*>(data_ + begin), end - begin, MADV_WILLNEED);
    }
#else
    Q_UNUSED(offset);
    Q_UNUSED(length);
#endif
}

void MappedFile::releaseResidentBelow(std::uint64_t offset) {
#ifdef Q_OS_UNIX
    static const auto page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    const std::uint64_t end = std::min(offset, size_) / page * page;
    if (data_ && end > released_) {
        ::madvise(const_cast<std::uint8_t*>(data_ + released_), end - released_, MADV_DONTNEED);
        released_ = end;
    }
#else
    Q_UNUSED(offset);
#endif
}
