#include "device/DeviceReport.h"

#include <algorithm>

MacBytes DeviceReport::mac() const {
    MacBytes mac{};
    std::copy_n(packet.begin() + DeviceInfoPacket::kMac, mac.size(), mac.begin());
    return mac;
}

bool DeviceReport::sameSensor(const DeviceReport& other) const {
    return sender == other.sender && mac() == other.mac();
}

QString DeviceReport::sensorName() const {
    return QStringLiteral("%1 (%2)").arg(addressFieldText(sender), macText(mac()));
}

void registerDeviceReportMetaType() {
    qRegisterMetaType<DeviceReport>("DeviceReport");
}

QString macText(const MacBytes& mac) {
    QString text;
    for (std::size_t i = 0; i < mac.size(); ++i) {
        if (i > 0) {
            text += QLatin1Char('-');
        }
        text += QStringLiteral("%1").arg(mac[i], 2, 16, QLatin1Char('0'));
    }
    return text;
}
