#pragma once

#include "lidar/ChannelGeometry.h"
#include "lidar/ChannelSelection.h"
#include "lidar/DataPacket.h"
#include "lidar/MuchLidarData.h"
#include "lidar/PointColour.h"

#include <array>
#include <cstdint>
#include <vector>

// A frame as a 2D picture: one row per channel, the highest beam on top, and
// one column per azimuth step of the frame. The middle column looks along x
// (azimuth 0) and azimuths grow to the left, so the picture is the panorama
// seen from the sensor rather than its mirror. Each pixel holds the nearest
// return of its channel and step, coloured as the 3D view colours it; a
// pixel without a return is black and the row of a hidden channel grey.
class RangeImage {
public:
    static constexpr int kRows = DataPacket::kChannelCount;
    // Azimuth steps in hundredths of a degree (the unit of the data packet).
    static constexpr int kFullTurn = 36000;
    // Taken when the frame does not show its step (fewer than two points on
    // every channel): the sensor's usual 0.2°.
    static constexpr int kDefaultStep = 20;
    // Finer steps share columns, so a stray frame cannot ask for a picture
    // of millions of pixels.
    static constexpr int kFinestStep = 5;
    static constexpr int kCoarsestStep = 1000;
    // Every azimuth the packet's 16-bit field can carry.
    static constexpr int kRawAzimuths = 65536;

    static constexpr std::uint32_t kNoReturn = 0xff000000;
    static constexpr std::uint32_t kHiddenChannel = 0xff808080;

    explicit RangeImage(const ChannelGeometry& geometry);

    // Redraws the picture from `frame`; `channels` null shows every channel.
    // `sensorColour` is the frame's sensor's in the colour mode "Sensor".
    void build(const MuchLidarData& frame, const ChannelSelection* channels, int colourMode,
               Rgb sensorColour = {});

    int rows() const { return kRows; }
    int columns() const { return columns_; }
    // The frame's azimuth step, in hundredths of a degree.
    int step() const { return step_; }

    // Row by row, top first; 0xAARRGGBB with A = 255.
    const std::vector<std::uint32_t>& pixels() const { return pixels_; }
    std::uint32_t pixel(int column, int row) const { return pixels_[offset(column, row)]; }
    // The index in the frame of the point drawn at a pixel, or -1.
    int pointAt(int column, int row) const { return points_[offset(column, row)]; }

    int channelOfRow(int row) const { return channelOfRow_[row]; }
    int rowOfChannel(int channel) const { return rowOfChannel_[channel]; }
    // -1 for a column outside the picture.
    int columnOfAzimuth(float azimuthDegrees) const;
    // The first azimuth of the column's step, in degrees.
    double azimuthOfColumn(int column) const;

    // The most common increase of azimuth between successive points of one
    // channel, in hundredths of a degree, kept to kFinestStep..kCoarsestStep;
    // kDefaultStep when no channel has two points.
    static int measureStep(const MuchLidarData& frame);

private:
    std::size_t offset(int column, int row) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
               static_cast<std::size_t>(column);
    }
    void setStep(int step);

    const ChannelGeometry& geometry_;
    std::array<int, kRows> channelOfRow_{};
    std::array<int, kRows> rowOfChannel_{};
    int step_ = kDefaultStep;
    int columns_ = kFullTurn / kDefaultStep;
    std::vector<std::uint16_t> columnOfRaw_; // by azimuth in hundredths of a degree
    std::vector<std::uint32_t> pixels_;
    std::vector<std::int32_t> points_;
};
