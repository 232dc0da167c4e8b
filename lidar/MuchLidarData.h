#pragma once

#include "lidar/SensorId.h"

#include <QMetaType>
#include <cstdint>
#include <vector>

// One frame (one revolution): four parallel sequences, element i of each
// describing the same point, in the order the points arrived, and the
// sensor they came from.
struct MuchLidarData {
    std::vector<std::int32_t> laserIds; // channel 0..127
    std::vector<float> azimuths;        // degrees, 0.01 resolution
    std::vector<float> distances;       // centimetres, 1/256 resolution
    std::vector<std::int32_t> intensities;
    SensorId sensor; // whose datagrams the frame was cut from

    std::size_t size() const { return laserIds.size(); }
    bool empty() const { return laserIds.empty(); }

    void append(std::int32_t laserId, float azimuth, float distance, std::int32_t intensity) {
        laserIds.push_back(laserId);
        azimuths.push_back(azimuth);
        distances.push_back(distance);
        intensities.push_back(intensity);
    }

    // Keeps the storage so that the next frame does not allocate again, and
    // the sensor.
    void clear() {
        laserIds.clear();
        azimuths.clear();
        distances.clear();
        intensities.clear();
    }

    // Frames are equal when their points are, whichever sensor sent them.
    bool operator==(const MuchLidarData& other) const {
        return laserIds == other.laserIds && azimuths == other.azimuths &&
               distances == other.distances && intensities == other.intensities;
    }
};

Q_DECLARE_METATYPE(MuchLidarData)

// Registers the frame under "MuchLidarData" and under "struct MuchLidarData",
// the spelling used in the string-signature connections.
void registerMuchLidarDataMetaType();
