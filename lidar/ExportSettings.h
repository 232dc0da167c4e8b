#pragma once

#include "lidar/ChannelSelection.h"
#include "lidar/CsvExportFilter.h"

// What a multi-frame CSV export writes: how many frames, which channels
// (exportSelected looked up through exportIndex, both kept by a
// ChannelSelection) and which inclusive azimuth window in degrees. The
// export settings dialog writes it on "Ok"; the window reads it when the
// export starts.
struct ExportSettings {
    int frameCount = 1;
    float minAngle = 0;
    float maxAngle = 180;
    ChannelSelection channels;

    // The filter of every frame of the export; the caller adds the
    // selection box while a selection exists.
    CsvExportFilter filter() const {
        CsvExportFilter f;
        for (int c = 0; c < DataPacket::kChannelCount; ++c) {
            f.channels[c] = channels.shows(c);
        }
        f.minAngle = minAngle;
        f.maxAngle = maxAngle;
        return f;
    }
};
