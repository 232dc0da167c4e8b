#pragma once

#include "lidar/DataPacket.h"

#include <QString>
#include <array>

class QCheckBox;
class QTableWidget;

// The channel table of the channel selection and export settings dialogs:
// one row per channel with a check box (checked at first), the channel
// number and its vertical angle, and the bulk changes of their buttons.
class ChannelCheckTable {
public:
    static constexpr int kChannels = DataPacket::kChannelCount;

    // Fills `table` (three columns, 128 rows).
    explicit ChannelCheckTable(QTableWidget* table);

    QCheckBox* box(int channel) const { return boxes_[channel]; }

    // "All/All no choice": clears every box, and checks them all the next
    // time. Then the toggle state flips.
    void switchAll();
    // "Switch selection": channels go in groups of four (group = channel /
    // 4); checks the even groups (0-3, 8-11, ...) and clears the odd ones,
    // or the other way round the next time. Then the toggle state flips.
    void switchGroups();
    // 1 for a checked channel, 0 for the others.
    std::array<int, kChannels> checkedFlags() const;

    // -17 + 0.25 * channel degrees: "-17", "-16.75", ..., "14.75".
    static QString verticalAngleText(int channel);

private:
    std::array<QCheckBox*, kChannels> boxes_{};
    // Shared by both switches; false at first, kept while the dialog lives.
    bool toggleState_ = false;
};
