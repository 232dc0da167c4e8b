#pragma once

#include <QElapsedTimer>
#include <QString>
#include <cstdio>

// A progress line on a terminal, rewritten in place a few times a second and
// wiped when the work is done. Does nothing when disabled (output that is
// not a terminal, or a quiet run), so logs and pipes stay clean.
class ProgressLine {
public:
    ProgressLine(std::FILE* out, bool enabled);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // Whether `out` is a terminal.
    static bool isTerminal(std::FILE* out);

    // Shows `text` unless a line was shown less than a tenth of a second
    // ago; `force` shows it anyway.
    void show(const QString& text, bool force = false);
    // Wipes the line.
    void clear();

private:
    std::FILE* out_;
    bool enabled_;
    bool shown_ = false;
    QElapsedTimer sinceShown_;
};
