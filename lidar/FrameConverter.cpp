#include "lidar/FrameConverter.h"

#include <algorithm>

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

// The rows of the points inside the selection box: the row index wraps to
// 0 once it reaches the number of picked points, and a later point takes
// the row of an earlier one.
class WrappingRows {
public:
    WrappingRows(std::vector<DataListRow>& rows, int pickedCount)
        : rows_(rows), limit_(static_cast<std::size_t>(std::max(pickedCount, 0))) {}

    void add(const pcl::PointXYZRGB& p, const MuchLidarData& frame, std::size_t i) {
        if (limit_ == 0) {
            return;
        }
        if (next_ >= limit_) {
            next_ = 0;
        }
        const DataListRow row = rowOf(static_cast<int>(next_), p, frame, i);
        if (next_ < rows_.size()) {
            rows_[next_] = row;
        } else {
            rows_.push_back(row);
        }
        ++next_;
    }

private:
    std::vector<DataListRow>& rows_;
    std::size_t limit_;
    std::size_t next_ = 0;
};

// The points of a frame as its sensor gives them.
struct AsGiven {
    PointXyz operator()(const PointXyz& p) const { return p; }
};

// What FrameConverter::convert() does, each point placed by `place`: one
// instance for points as given, which cost nothing more for the poses,
// one for placed points.
template <class Place>
void convertPoints(const ChannelGeometry& geometry, const MuchLidarData& frame,
                   const FrameSettings& settings, const Place& place, FrameConversion& out) {
    const ChannelSelection& channels = settings.channels ? *settings.channels : allChannels();
    FrameConversion::Cloud& shown = *out.shown;
    FrameConversion::Cloud& inBox = *out.inBox;
    shown.clear();
    inBox.clear();
    shown.reserve(frame.size());
    out.rows.clear();
    out.statistics = BoxStatistics{};

    WrappingRows selectionRows(out.rows, settings.selectedCount);

    pcl::PointXYZRGB point;
    // The mode "Sensor" leaves every point the colour it starts with.
    Rgb colour = settings.colourMode == static_cast<int>(ColourMode::Sensor)
                     ? settings.sensorColour
                     : Rgb{point.r, point.g, point.b};
    for (std::size_t i = 0; i < frame.size(); ++i) {
        const int channel = frame.laserIds[i];
        const float distance = frame.distances[i];
        if (!channels.shows(channel) || !(distance > 0)) {
            continue;
        }
        const float azimuth = frame.azimuths[i];
        const PointXyz xyz = place(geometry.point(channel, azimuth, distance));
        point.x = xyz.x;
        point.y = xyz.y;
        point.z = xyz.z;
        colour =
            pointColour(settings.colourMode, channel, azimuth, xyz.z, frame.intensities[i], colour);
        point.r = colour.r;
        point.g = colour.g;
        point.b = colour.b;

        if (!settings.selectionActive &&
            static_cast<int>(out.rows.size()) < FrameConverter::kListedPoints) {
            out.rows.push_back(rowOf(static_cast<int>(out.rows.size()), point, frame, i));
        }

        if (settings.box.contains(xyz.x, xyz.y, xyz.z)) {
            out.statistics.add(xyz.x, xyz.y, xyz.z);
            inBox.push_back(point);
            if (settings.selectionActive) {
                selectionRows.add(point, frame, i);
            }
        }
        shown.push_back(point);
    }
}

} // namespace

void FrameConverter::convert(const MuchLidarData& frame, const FrameSettings& settings,
                             FrameConversion& out) const {
    if (settings.pose.isIdentity()) {
        convertPoints(geometry_, frame, settings, AsGiven{}, out);
    } else {
        convertPoints(
            geometry_, frame, settings,
            [&pose = settings.pose](const PointXyz& p) { return pose.apply(p); }, out);
    }
}

SelectionListing FrameConverter::listSelection(const MuchLidarData& frame,
                                               const ChannelSelection* channels,
                                               const SelectionBox& box, int pickedCount,
                                               const PoseTransform& pose) const {
    const ChannelSelection& shownChannels = channels ? *channels : allChannels();
    SelectionListing out;
    WrappingRows rows(out.rows, pickedCount);
    pcl::PointXYZRGB point;
    for (std::size_t i = 0; i < frame.size(); ++i) {
        const int channel = frame.laserIds[i];
        const float distance = frame.distances[i];
        if (!shownChannels.shows(channel) || !(distance > 0)) {
            continue;
        }
        const PointXyz xyz = pose.apply(geometry_.point(channel, frame.azimuths[i], distance));
        if (!box.contains(xyz)) {
            continue;
        }
        out.statistics.add(xyz.x, xyz.y, xyz.z);
        point.x = xyz.x;
        point.y = xyz.y;
        point.z = xyz.z;
        rows.add(point, frame, i);
    }
    return out;
}
