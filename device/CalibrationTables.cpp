#include "device/CalibrationTables.h"

#include <tuple>

namespace {

using namespace DeviceInfoPacket;

template <std::size_t N>
void putSigned(Bytes& packet, std::size_t offset, const std::int8_t* values) {
    for (std::size_t i = 0; i < N; ++i) {
        packet[offset + i] = static_cast<std::uint8_t>(values[i]);
    }
}

template <std::size_t N>
void putBe16(Bytes& packet, std::size_t offset, const std::array<std::uint16_t, N>& values) {
    for (std::size_t i = 0; i < N; ++i) {
        packet[offset + 2 * i] = static_cast<std::uint8_t>(values[i] >> 8);
        packet[offset + 2 * i + 1] = static_cast<std::uint8_t>(values[i] & 0xFF);
    }
}

template <std::size_t N>
void getSigned(ByteSpan packet, std::size_t offset, std::int8_t* values) {
    for (std::size_t i = 0; i < N; ++i) {
        values[i] = static_cast<std::int8_t>(packet.u8(offset + i));
    }
}

template <std::size_t N>
void getBe16(ByteSpan packet, std::size_t offset, std::array<std::uint16_t, N>& values) {
    for (std::size_t i = 0; i < N; ++i) {
        values[i] = packet.be16(offset + 2 * i);
    }
}

constexpr std::size_t kHalf = CalibrationTables::kStaticCount / 2;

auto tied(const CalibrationTables& t) {
    return std::tie(t.staticValues, t.pitch, t.azimuth, t.reflectivity1, t.reflectivity2,
                    t.segmentFactors);
}

} // namespace

void CalibrationTables::writeTo(Bytes& packet) const {
    putSigned<kHalf>(packet, kChannelTableA, staticValues.data());
    putSigned<kHalf>(packet, kChannelTableB, staticValues.data() + kHalf);
    putBe16(packet, kTableC, pitch);
    putBe16(packet, kTableD, azimuth);
    putSigned<kTableEntries>(packet, kTableE, reflectivity1.data());
    putSigned<kTableEntries>(packet, kTableF, reflectivity2.data());
    putBe16(packet, kWords, segmentFactors);
}

CalibrationTables CalibrationTables::fromInfoPacket(ByteSpan packet) {
    CalibrationTables t;
    getSigned<kHalf>(packet, kChannelTableA, t.staticValues.data());
    getSigned<kHalf>(packet, kChannelTableB, t.staticValues.data() + kHalf);
    getBe16(packet, kTableC, t.pitch);
    getBe16(packet, kTableD, t.azimuth);
    getSigned<kTableEntries>(packet, kTableE, t.reflectivity1.data());
    getSigned<kTableEntries>(packet, kTableF, t.reflectivity2.data());
    getBe16(packet, kWords, t.segmentFactors);
    return t;
}

bool CalibrationTables::operator==(const CalibrationTables& o) const {
    return tied(*this) == tied(o);
}
