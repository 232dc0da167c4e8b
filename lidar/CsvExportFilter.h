#pragma once

#include "lidar/DataPacket.h"
#include "lidar/PoseTransform.h"
#include "lidar/SelectionBox.h"

#include <array>
#include <limits>
#include <optional>

// Which points of a frame go into a CSV file. The defaults keep every point
// with a distance of 0 or more.
struct CsvExportFilter {
    std::array<bool, DataPacket::kChannelCount> channels = allChannels();
    // Inclusive azimuth window in degrees.
    float minAngle = -std::numeric_limits<float>::infinity();
    float maxAngle = std::numeric_limits<float>::infinity();
    // When set, only points inside the box (faces included) are written.
    std::optional<SelectionBox> box;
    // Where the points are placed before the box takes them and they are
    // written; the identity keeps the sensor's own coordinates.
    PoseTransform pose;

    static std::array<bool, DataPacket::kChannelCount> allChannels() {
        std::array<bool, DataPacket::kChannelCount> all{};
        all.fill(true);
        return all;
    }
};
