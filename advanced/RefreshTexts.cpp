#include "advanced/RefreshTexts.h"

#include "advanced/IdentityText.h"

namespace {

QString hundredths(const std::uint8_t (&entry)[2]) {
    return QString::number((entry[0] << 8 | entry[1]) / 100.0, 'g', 6);
}

} // namespace

AdvancedFields refreshTexts(const SettingData& status) {
    AdvancedFields f;
    constexpr std::size_t kHalf = AdvancedFields::kStaticCount / 2;
    for (std::size_t i = 0; i < kHalf; ++i) {
        f.staticChannels[i] = QString::number(status.channelTableA[i]);
        f.staticChannels[kHalf + i] = QString::number(status.channelTableB[i]);
    }
    for (std::size_t k = 0; k < AdvancedFields::kChannelCount; ++k) {
        f.pitch[k] = hundredths(status.tableC[k]);
        f.azimuth[k] = hundredths(status.tableD[k]);
    }
    for (std::size_t k = 0; k < 16; ++k) {
        f.intensity[k] = QString::number(status.tableE[k]);
        f.intensity[16 + k] = QString::number(status.tableF[k]);
    }
    for (std::size_t k = 0; k < AdvancedFields::kSegmentCount; ++k) {
        f.segmentFactors[k] = QString::number(status.words[k] / 100.0, 'f', 2);
    }
    f.serialNumber = IdentityText::serialNumber(status);
    f.version = IdentityText::version(status);
    f.left = QStringLiteral("0");
    f.right = QStringLiteral("0");
    return f;
}
