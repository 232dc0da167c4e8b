// The work of the Python module's capture loop without Python: every frame
// of a capture cut, converted into array rows on a reading thread and handed
// over through the module's queue to a thread that drops it, as Python's
// loop would take it. The floor that capture_frames_bench.py measures the
// module against.
//
//   frames_into_arrays CAPTURE [CHANNEL]   (every channel without CHANNEL)

#include "python/CaptureFrames.h"

#include <QString>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: frames_into_arrays CAPTURE [CHANNEL]\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    auto file = std::make_shared<ReadOnlyFile>();
    QString error;
    if (!file->open(path, &error)) {
        std::fprintf(stderr, "frames_into_arrays: %s\n", qPrintable(error));
        return 1;
    }
    FrameSelection selection;
    if (argc > 2) {
        const int channel = std::atoi(argv[2]);
        if (channel < 0 || channel >= DataPacket::kChannelCount) {
            std::fprintf(stderr, "frames_into_arrays: no channel %s\n", argv[2]);
            return 2;
        }
        selection.filter.channels.fill(false);
        selection.filter.channels[static_cast<std::size_t>(channel)] = true;
    }
    FrameQueue queue(3);
    CaptureFrames frames(file, path, selection, queue);
    std::thread reader([&] { frames.run(); });
    std::uint64_t count = 0;
    std::uint64_t points = 0;
    ConvertedFrame frame;
    for (;;) {
        const FrameQueue::Pop got = queue.pop(frame, std::chrono::milliseconds(50));
        if (got == FrameQueue::Pop::Finished) {
            break;
        }
        if (got == FrameQueue::Pop::Frame) {
            ++count;
            points += frame.points.size();
            frame.points = PointBuffer(0);
        }
    }
    reader.join();
    if (!queue.error().empty()) {
        std::fprintf(stderr, "frames_into_arrays: %s\n", queue.error().c_str());
        return 1;
    }
    std::printf("%llu %llu\n", static_cast<unsigned long long>(count),
                static_cast<unsigned long long>(points));
    return 0;
}
