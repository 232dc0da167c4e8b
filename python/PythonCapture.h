#pragma once

#include "capture/ReadOnlyFile.h"
#include "python/CaptureFrames.h"
#include "python/CaptureStream.h"

#include <QString>
#include <memory>
#include <optional>
#include <string>

// vantor.Capture: a capture file kept open for reading its frames.
class PythonCapture {
public:
    // Opens the file and reads it up to its first data packet; raises
    // vantor.CaptureError with the tool's text when it is no capture or
    // holds no data packet.
    explicit PythonCapture(const std::string& path);

    const std::string& path() const { return path_; }
    // The whole frames and the sensors, counted in one pass when first asked.
    const CaptureFrames::Census& census();
    // Of every sensor.
    int frameCount();

    std::unique_ptr<CaptureStream> frames(const FrameSelection& selection) const;

private:
    std::string path_;
    QString qPath_;
    std::shared_ptr<ReadOnlyFile> file_;
    std::optional<CaptureFrames::Census> census_;
};
