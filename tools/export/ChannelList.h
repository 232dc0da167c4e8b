#pragma once

#include "lidar/DataPacket.h"

#include <QString>
#include <array>

// Channel lists as typed on the command line: numbers and inclusive ranges
// separated by commas, such as "0-3,7,100-127".
class ChannelList {
public:
    using Flags = std::array<bool, DataPacket::kChannelCount>;

    // On success `channels` holds exactly the listed channels; otherwise
    // `error` says what is wrong and `channels` is unchanged.
    static bool parse(const QString& text, Flags& channels, QString& error);
};
