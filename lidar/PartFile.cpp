#include "lidar/PartFile.h"

#include <QFile>
#include <cerrno>

PartFile::PartFile(const QString& path) : path_(path) {}

PartFile::~PartFile() {
    if (!committed_) {
        discard();
    }
}

bool PartFile::open() {
    // File names are handed to the C library in the local 8-bit encoding.
    file_ = std::fopen(QFile::encodeName(partPath()).constData(), "wb");
    return file_ != nullptr || fail(errno);
}

bool PartFile::write(const void* data, std::size_t size) {
    if (file_ == nullptr) {
        return fail(EBADF);
    }
    return std::fwrite(data, 1, size, file_) == size || fail(errno);
}

bool PartFile::commit() {
    if (file_ != nullptr) {
        const bool closed = std::fclose(file_) == 0;
        file_ = nullptr;
        if (!closed) {
            return fail(errno);
        }
    }
    if (std::rename(QFile::encodeName(partPath()).constData(),
                    QFile::encodeName(path_).constData()) != 0) {
        return fail(errno);
    }
    committed_ = true;
    return true;
}

void PartFile::discard() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    std::remove(QFile::encodeName(partPath()).constData());
}

bool PartFile::fail(int reason) {
    error_ = QStringLiteral("%1: %2").arg(path_, qt_error_string(reason));
    return false;
}
