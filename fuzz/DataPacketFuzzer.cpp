// Data payloads cut into frames: every point decoded from any bytes is a
// point the rest of the viewer can take, and cutting is a function of the
// bytes alone.

#include "FuzzCheck.h"
#include "lidar/FrameConverter.h"
#include "lidar/FrameCutter.h"

#include <cstring>
#include <vector>

namespace {

// The input as whole payloads; a last partial one is padded with 0xFF
// groups, which carry nothing.
std::vector<std::uint8_t> payloadsOf(const std::uint8_t* data, std::size_t size) {
    const std::size_t count = (size + DataPacket::kSize - 1) / DataPacket::kSize;
    std::vector<std::uint8_t> stream(count * DataPacket::kSize, 0xFF);
    if (size != 0) {
        std::memcpy(stream.data(), data, size);
    }
    return stream;
}

std::vector<MuchLidarData> cut(const std::vector<std::uint8_t>& stream, int markerCount) {
    FrameCutter cutter(markerCount);
    std::vector<MuchLidarData> frames;
    for (std::size_t p = 0; p < stream.size(); p += DataPacket::kSize) {
        cutter.feed(stream.data() + p, [&](const MuchLidarData& f) { frames.push_back(f); });
    }
    return frames;
}

// The points each frame should hold, counted group by group.
std::vector<std::size_t> expectedSizes(const std::vector<std::uint8_t>& stream) {
    std::vector<std::size_t> sizes;
    std::size_t points = 0;
    bool inFrame = false;
    for (std::size_t p = 0; p < stream.size(); p += DataPacket::kSize) {
        for (std::size_t g = 0; g < DataPacket::kGroupBytes; g += DataPacket::kGroupSize) {
            const std::uint8_t* group = stream.data() + p + g;
            if (DataPacket::isFrameMarker(group)) {
                if (inFrame) {
                    sizes.push_back(points);
                }
                inFrame = true;
                points = 0;
            } else if (group[0] < DataPacket::kChannelCount) {
                ++points;
            }
        }
    }
    return sizes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> stream = payloadsOf(data, size);
    const std::vector<MuchLidarData> frames = cut(stream, 0);
    FUZZ_CHECK(frames == cut(stream, 0));

    // The player collects from the first group after a restart: the same
    // frames behind one of the points before the first marker.
    const std::vector<MuchLidarData> fromStart = cut(stream, 1);
    if (!fromStart.empty()) {
        FUZZ_CHECK(std::vector<MuchLidarData>(fromStart.begin() + 1, fromStart.end()) == frames);
    } else {
        FUZZ_CHECK(frames.empty());
    }

    const std::vector<std::size_t> sizes = expectedSizes(stream);
    FUZZ_CHECK(frames.size() == sizes.size());
    static const ChannelGeometry geometry;
    static const FrameConverter converter(geometry);
    FrameConversion conversion;
    for (std::size_t f = 0; f < frames.size(); ++f) {
        const MuchLidarData& frame = frames[f];
        FUZZ_CHECK(frame.size() == sizes[f]);
        FUZZ_CHECK(frame.azimuths.size() == frame.size() &&
                   frame.distances.size() == frame.size() &&
                   frame.intensities.size() == frame.size());
        for (std::size_t i = 0; i < frame.size(); ++i) {
            FUZZ_CHECK(frame.laserIds[i] >= 0 && frame.laserIds[i] < DataPacket::kChannelCount);
            FUZZ_CHECK(frame.azimuths[i] >= 0.0f && frame.azimuths[i] <= 655.35f);
            FUZZ_CHECK(frame.distances[i] >= 0.0f && frame.distances[i] < 65536.0f);
        }
        converter.convert(frame, FrameSettings{}, conversion);
        FUZZ_CHECK(conversion.shown->size() <= frame.size());
        FUZZ_CHECK(conversion.rows.size() <=
                   static_cast<std::size_t>(FrameConverter::kListedPoints));
    }
    return 0;
}
