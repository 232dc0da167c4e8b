#include "capture/FileWindow.h"

#include <algorithm>

FileWindow::FileWindow(const ReadOnlyFile& file)
    : file_(file),
      capacity_(static_cast<std::size_t>(std::min<std::uint64_t>(file.size(), kCapacity))),
      buffer_(new std::uint8_t[capacity_]) {}

const std::uint8_t* FileWindow::view(std::uint64_t offset, std::size_t length,
                                     std::uint64_t fillFrom) {
    const std::uint64_t end = offset + length;
    if (offset < start_ || end > start_ + filled_) {
        const auto wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(capacity_, file_.size() - fillFrom));
        start_ = fillFrom;
        filled_ = file_.readAt(fillFrom, buffer_.get(), wanted);
        if (start_ + filled_ < end) {
            lost_ = start_ + filled_;
            filled_ = 0;
            return nullptr;
        }
    }
    return buffer_.get() + (offset - start_);
}
