// Capture files of any content opened as the viewer opens them: the index
// names only whole data payloads inside the file, its frame table agrees
// with the markers those payloads hold, and reading the packets in either
// direction gives the same bytes.

#include "FuzzCheck.h"
#include "capture/CaptureFile.h"
#include "capture/CapturePacketReader.h"
#include "capture/LinkLayer.h"
#include "lidar/DataPacket.h"

#include <QString>
#include <algorithm>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

// The input as a file, kept in memory.
QString fileOf(const std::uint8_t* data, std::size_t size) {
    static const int fd = ::memfd_create("capture", MFD_CLOEXEC);
    FUZZ_CHECK(fd >= 0);
    FUZZ_CHECK(::ftruncate(fd, 0) == 0);
    FUZZ_CHECK(::pwrite(fd, data, size, 0) == static_cast<ssize_t>(size));
    return QStringLiteral("/proc/self/fd/%1").arg(fd);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QString error;
    const auto capture = CaptureFile::open(fileOf(data, size), &error);
    if (!capture) {
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    FUZZ_CHECK(capture->fileSize() == size);
    const std::vector<std::uint64_t>& offsets = capture->packetOffsets();
    FUZZ_CHECK(!offsets.empty());
    if (capture->truncatedAt()) {
        FUZZ_CHECK(*capture->truncatedAt() < size);
    }

    std::vector<int> markersIn(offsets.size(), 0);
    for (std::int32_t packet : capture->frameStartPackets()) {
        FUZZ_CHECK(packet >= 0 && static_cast<std::size_t>(packet) < offsets.size());
        ++markersIn[static_cast<std::size_t>(packet)];
    }
    FUZZ_CHECK(
        std::is_sorted(capture->frameStartPackets().begin(), capture->frameStartPackets().end()));

    CapturePacketReader forward(*capture);
    std::vector<std::uint8_t> payloads(offsets.size() * DataPacket::kSize);
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        FUZZ_CHECK(i == 0 || offsets[i] > offsets[i - 1]);
        FUZZ_CHECK(offsets[i] + DataPacket::kSize <= size);
        const std::uint8_t* payload = forward.packet(static_cast<int>(i));
        FUZZ_CHECK(payload != nullptr);
        FUZZ_CHECK(std::memcmp(payload, data + offsets[i], DataPacket::kSize) == 0);
        FUZZ_CHECK(LinkLayer::isDataPayload(payload));
        int markers = 0;
        for (std::size_t g = 0; g < DataPacket::kGroupBytes; g += DataPacket::kGroupSize) {
            markers += DataPacket::isFrameMarker(payload + g) ? 1 : 0;
        }
        FUZZ_CHECK(markers == markersIn[i]);
        std::memcpy(payloads.data() + i * DataPacket::kSize, payload, DataPacket::kSize);
    }
    CapturePacketReader backward(*capture);
    for (std::size_t i = offsets.size(); i-- > 0;) {
        const std::uint8_t* payload = backward.packet(static_cast<int>(i));
        FUZZ_CHECK(payload != nullptr);
        FUZZ_CHECK(
            std::memcmp(payload, payloads.data() + i * DataPacket::kSize, DataPacket::kSize) == 0);
    }
    return 0;
}
