#include "lidar/RangeImage.h"

#include "lidar/PointColour.h"

#include <algorithm>
#include <numeric>

namespace {

// Hundredths of a degree as the packet carried them, or -1 for a value the
// packet cannot carry.
int rawAzimuth(float degrees) {
    if (!(degrees >= 0.0f && degrees <= 655.35f)) {
        return -1;
    }
    return static_cast<int>(degrees * 100.0f + 0.5f);
}

std::uint32_t argb(const Rgb& c) {
    return 0xff000000u | (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
}

} // namespace

RangeImage::RangeImage(const ChannelGeometry& geometry) : geometry_(geometry) {
    std::iota(channelOfRow_.begin(), channelOfRow_.end(), 0);
    std::stable_sort(channelOfRow_.begin(), channelOfRow_.end(), [](int a, int b) {
        return ChannelGeometry::elevationDegrees(a) > ChannelGeometry::elevationDegrees(b);
    });
    for (int row = 0; row < kRows; ++row) {
        rowOfChannel_[channelOfRow_[row]] = row;
    }
    build(MuchLidarData{}, nullptr, 0);
}

int RangeImage::measureStep(const MuchLidarData& frame) {
    std::array<int, kRows> last;
    last.fill(-1);
    std::array<std::uint32_t, kCoarsestStep + 1> counts{};
    // The step is the same all round; the first few thousand tell it.
    constexpr std::uint32_t kEnough = 4096;
    std::uint32_t counted = 0;
    for (std::size_t i = 0; i < frame.size() && counted < kEnough; ++i) {
        const int channel = frame.laserIds[i];
        const int raw = rawAzimuth(frame.azimuths[i]);
        if (channel < 0 || channel >= kRows || raw < 0) {
            continue;
        }
        const int increase = raw - last[channel];
        if (last[channel] >= 0 && increase > 0 && increase <= kCoarsestStep) {
            ++counts[increase];
            ++counted;
        }
        last[channel] = raw;
    }
    const auto mostCommon = std::max_element(counts.begin() + 1, counts.end());
    if (*mostCommon == 0) {
        return kDefaultStep;
    }
    return std::max(static_cast<int>(mostCommon - counts.begin()), kFinestStep);
}

void RangeImage::setStep(int step) {
    if (step == step_ && !columnOfRaw_.empty()) {
        return;
    }
    step_ = step;
    columns_ = (kFullTurn + step_ - 1) / step_;
    // A table, as a division per point would cost a third of the picture.
    columnOfRaw_.resize(kRawAzimuths);
    for (int raw = 0; raw < kRawAzimuths; ++raw) {
        const int bin = std::min((raw % kFullTurn) / step_, columns_ - 1);
        columnOfRaw_[static_cast<std::size_t>(raw)] =
            static_cast<std::uint16_t>(((columns_ / 2 - bin) % columns_ + columns_) % columns_);
    }
}

int RangeImage::columnOfAzimuth(float azimuthDegrees) const {
    const int raw = rawAzimuth(azimuthDegrees);
    return raw < 0 ? -1 : columnOfRaw_[static_cast<std::size_t>(raw)];
}

double RangeImage::azimuthOfColumn(int column) const {
    const int bin = ((columns_ / 2 - column) % columns_ + columns_) % columns_;
    return bin * step_ / 100.0;
}

void RangeImage::build(const MuchLidarData& frame, const ChannelSelection* channels, int colourMode,
                       Rgb sensorColour) {
    static const ChannelSelection all;
    const ChannelSelection& shown = channels ? *channels : all;
    setStep(measureStep(frame));
    const std::size_t size = static_cast<std::size_t>(kRows) * static_cast<std::size_t>(columns_);
    pixels_.assign(size, kNoReturn);
    points_.assign(size, -1);
    // Where each channel's row starts, or -1 for a hidden channel's.
    std::array<std::ptrdiff_t, kRows> rowStart{};
    for (int channel = 0; channel < kRows; ++channel) {
        const auto start = static_cast<std::ptrdiff_t>(offset(0, rowOfChannel_[channel]));
        const bool visible = shown.shows(channel);
        rowStart[channel] = visible ? start : -1;
        if (!visible) {
            std::fill_n(pixels_.begin() + start, columns_, kHiddenChannel);
        }
    }

    // Only the elevation colours need the point's height.
    const bool needsHeight = colourMode == static_cast<int>(ColourMode::Elevation);
    float trigAzimuth = -1;
    AzimuthTrigTable::Entry trig{};
    // The mode "Sensor" keeps the colour it is given.
    Rgb colour = sensorColour;
    for (std::size_t i = 0; i < frame.size(); ++i) {
        const int channel = frame.laserIds[i];
        const float distance = frame.distances[i];
        if (static_cast<unsigned>(channel) >= static_cast<unsigned>(kRows) ||
            rowStart[channel] < 0 || !(distance > 0)) {
            continue;
        }
        const float azimuth = frame.azimuths[i];
        const int raw = rawAzimuth(azimuth);
        if (raw < 0) {
            continue;
        }
        const auto at = static_cast<std::size_t>(rowStart[channel] +
                                                 columnOfRaw_[static_cast<std::size_t>(raw)]);
        const std::int32_t earlier = points_[at];
        if (earlier >= 0 && !(distance < frame.distances[static_cast<std::size_t>(earlier)])) {
            continue;
        }
        float z = 0;
        if (needsHeight) {
            if (azimuth != trigAzimuth) {
                trig = ChannelGeometry::trigOf(azimuth);
                trigAzimuth = azimuth;
            }
            z = geometry_.height(channel, trig, distance);
        }
        colour = pointColour(colourMode, channel, azimuth, z, frame.intensities[i], colour);
        pixels_[at] = argb(colour);
        points_[at] = static_cast<std::int32_t>(i);
    }
}
