#include "tools/export/ProgressLine.h"

#include <unistd.h>

namespace {
constexpr qint64 kIntervalMs = 100;
}

ProgressLine::ProgressLine(std::FILE* out, bool enabled) : out_(out), enabled_(enabled) {}

ProgressLine::~ProgressLine() {
    clear();
}

bool ProgressLine::isTerminal(std::FILE* out) {
    return isatty(fileno(out)) == 1;
}

void ProgressLine::show(const QString& text, bool force) {
    if (!enabled_ || (shown_ && !force && sinceShown_.elapsed() < kIntervalMs)) {
        return;
    }
    // Back to the start of the line, the text, then erase what is left of
    // a longer one before it.
    std::fprintf(out_, "\r%s\033[K", text.toLocal8Bit().constData());
    std::fflush(out_);
    shown_ = true;
    sinceShown_.start();
}

void ProgressLine::clear() {
    if (shown_) {
        std::fprintf(out_, "\r\033[K");
        std::fflush(out_);
        shown_ = false;
    }
}
