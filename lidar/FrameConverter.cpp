#include "lidar/FrameConverter.h"

#include "lidar/PointColour.h"

#include <array>

namespace {

const ChannelSelection& allChannels() {
    static const ChannelSelection all;
    return all;
}

DataListRow rowOf(int index, const pcl::PointXYZRGB& p, const MuchLidarData& frame, std::size_t i) {
    DataListRow row;
    row.index = index;
    row.x = p.x;
    row.y = p.y;
    row.z = p.z;
    row.distanceCm = frame.distances[i];
    row.azimuthDegrees = frame.azimuths[i];
    row.intensity = frame.intensities[i];
    row.channel = frame.laserIds[i];
    return row;
}

} // namespace

void FrameConverter::convert(const MuchLidarData& frame, const FrameSettings& settings,
                             FrameConversion& out) const {
    const ChannelSelection& channels = settings.channels ? *settings.channels : allChannels();
    FrameConversion::Cloud& shown = *out.shown;
    FrameConversion::Cloud& inBox = *out.inBox;
    shown.clear();
    inBox.clear();
    shown.reserve(frame.size());
    out.rows.clear();
    out.statistics = BoxStatistics{};

    // While a selection exists, in-box rows wrap at selectedCount and only
    // those in the visible window are written; a later point overwrites an
    // earlier one of the same row, so only the last one per row is kept.
    constexpr int kWindow = kVisibleRowSpan + 1;
    std::array<DataListRow, kWindow> visible{};
    std::array<bool, kWindow> visibleUsed{};
    int boxRow = 0;

    pcl::PointXYZRGB point;
    Rgb colour{point.r, point.g, point.b};
    for (std::size_t i = 0; i < frame.size(); ++i) {
        const int channel = frame.laserIds[i];
        const float distance = frame.distances[i];
        if (!channels.shows(channel) || !(distance > 0)) {
            continue;
        }
        const float azimuth = frame.azimuths[i];
        const PointXyz xyz = geometry_.point(channel, azimuth, distance);
        point.x = xyz.x;
        point.y = xyz.y;
        point.z = xyz.z;
        colour =
            pointColour(settings.colourMode, channel, azimuth, xyz.z, frame.intensities[i], colour);
        point.r = colour.r;
        point.g = colour.g;
        point.b = colour.b;

        if (!settings.selectionActive && static_cast<int>(out.rows.size()) < kListedPoints) {
            out.rows.push_back(rowOf(static_cast<int>(out.rows.size()), point, frame, i));
        }

        if (settings.box.contains(xyz.x, xyz.y, xyz.z)) {
            out.statistics.add(xyz.x, xyz.y, xyz.z);
            inBox.push_back(point);
            if (boxRow >= settings.selectedCount) {
                boxRow = 0;
            }
            if (settings.selectionActive) {
                const int slot = boxRow - settings.firstVisibleRow;
                if (slot >= 0 && slot < kWindow) {
                    visible[slot] = rowOf(boxRow, point, frame, i);
                    visibleUsed[slot] = true;
                }
                ++boxRow;
            }
        }
        shown.push_back(point);
    }

    for (int slot = 0; slot < kWindow; ++slot) {
        if (visibleUsed[slot]) {
            out.rows.push_back(visible[slot]);
        }
    }
}

SelectionListing FrameConverter::listSelection(const MuchLidarData& frame,
                                               const ChannelSelection* channels,
                                               const SelectionBox& box, int pickedCount) const {
    const ChannelSelection& shownChannels = channels ? *channels : allChannels();
    SelectionListing out;
    std::size_t row = 0;
    const auto rowLimit = static_cast<std::size_t>(pickedCount > 0 ? pickedCount : 0);
    pcl::PointXYZRGB point;
    for (std::size_t i = 0; i < frame.size(); ++i) {
        const int channel = frame.laserIds[i];
        const float distance = frame.distances[i];
        if (!shownChannels.shows(channel) || !(distance > 0)) {
            continue;
        }
        const PointXyz xyz = geometry_.point(channel, frame.azimuths[i], distance);
        if (!box.contains(xyz)) {
            continue;
        }
        out.statistics.add(xyz.x, xyz.y, xyz.z);
        if (rowLimit == 0) {
            continue;
        }
        if (row >= rowLimit) {
            row = 0;
        }
        point.x = xyz.x;
        point.y = xyz.y;
        point.z = xyz.z;
        const DataListRow listed = rowOf(static_cast<int>(row), point, frame, i);
        if (row < out.rows.size()) {
            out.rows[row] = listed;
        } else {
            out.rows.push_back(listed);
        }
        ++row;
    }
    return out;
}
