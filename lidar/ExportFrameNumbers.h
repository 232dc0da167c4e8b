#pragma once

// The frames of an export numbered in the order they are handed in, from 1,
// up to the wanted count: the first field of multi-frame CSV rows, the
// number in the names of per-frame files and the sequence of MCAP messages.
class ExportFrameNumbers {
public:
    explicit ExportFrameNumbers(int wanted) : wanted_(wanted) {}

    // The next frame's number, or 0 once the wanted frames all have one.
    int next() { return complete() ? 0 : ++numbered_; }
    bool complete() const { return numbered_ >= wanted_; }
    int numbered() const { return numbered_; }
    int wanted() const { return wanted_; }

private:
    int wanted_;
    int numbered_ = 0;
};
