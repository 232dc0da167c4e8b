#include "lidar/ChannelGeometry.h"

#include "lidar/AzimuthTrigTable.h"

#include <cmath>

ChannelGeometry::ChannelGeometry() {
    // Sub-step arguments are 0.25, 0.5 and 0.75 degrees converted with 3.14159.
    static const double subStepRadians[4] = {0.0, 0.004363319444444444, 0.008726638888888888,
                                             0.013089958333333332};
    for (int c = 0; c < DataPacket::kChannelCount; ++c) {
        const int group = c / 4;
        cosElevation[c] = static_cast<float>(std::cos(elevationDegrees(c) * kPi / 180));
        sinBaseElevation[c] = static_cast<float>(std::sin((group - 17) * kPi / 180));
        sinSubStep[c] = c % 4 == 0 ? 0.0f : static_cast<float>(std::sin(subStepRadians[c % 4]));
    }
}

AzimuthTrigTable::Entry ChannelGeometry::trigOf(float a) {
    const AzimuthTrigTable::Entry* found = AzimuthTrigTable::instance().find(a);
    return found ? *found : AzimuthTrigTable::compute(a);
}

PointXyz ChannelGeometry::point(int channel, float a, float d) const {
    const AzimuthTrigTable::Entry trig = trigOf(a);
    const float h = d * cosElevation[channel];
    PointXyz p;
    p.x = static_cast<float>(h * trig.cosAzimuth / 100);
    p.y = static_cast<float>(h * trig.sinAzimuth / 100);
    p.z = height(channel, trig, d);
    return p;
}

float ChannelGeometry::height(int channel, const AzimuthTrigTable::Entry& trig, float d) const {
    // Channels in odd groups of four are raised by the cosine form, even
    // groups by the sine form.
    const double lift = (channel / 4) % 2 == 1 ? trig.cosHalfPlus : trig.sinHalfMinus;
    return static_cast<float>(d * (sinBaseElevation[channel] + 2 * lift * sinSubStep[channel]) /
                              100);
}
