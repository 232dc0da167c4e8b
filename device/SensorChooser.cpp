#include "device/SensorChooser.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>

namespace {

quint32 key(const AddressBytes& a) {
    return static_cast<quint32>(a[0]) << 24 | static_cast<quint32>(a[1]) << 16 |
           static_cast<quint32>(a[2]) << 8 | a[3];
}

AddressBytes addressOf(quint32 key) {
    return {static_cast<std::uint8_t>(key >> 24), static_cast<std::uint8_t>(key >> 16),
            static_cast<std::uint8_t>(key >> 8), static_cast<std::uint8_t>(key)};
}

} // namespace

SensorChooser::SensorChooser(QWidget* parent) : QWidget(parent), list_(new QComboBox(this)) {
    setObjectName(QStringLiteral("SensorChooser"));
    list_->setObjectName(QStringLiteral("comboBox_Sensor"));
    list_->setPlaceholderText(tr("no device packet heard yet"));
    list_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(tr("Sensor\uFF1A"), this));
    row->addWidget(list_, 1);
    connect(list_, QOverload<int>::of(&QComboBox::activated), this,
            [this](int index) { choose(addressOf(list_->itemData(index).toUInt())); });
}

void SensorChooser::take(const DeviceReport& report) {
    const DeviceReport* before = reports_.latest(report.sender);
    const bool renamed = before == nullptr || before->mac() != report.mac();
    if (reports_.take(report) == SensorReports::Taken::Dropped) {
        return;
    }
    if (!chosen_) {
        choose(report.sender);
    } else if (renamed) {
        showItems();
    }
    if (chosen_ == report.sender) {
        emit chosenReported(report);
    }
}

void SensorChooser::choose(const AddressBytes& sensor) {
    if (chosen_ == sensor) {
        return;
    }
    chosen_ = sensor;
    showItems();
    emit chosenChanged();
}

const DeviceReport* SensorChooser::chosenReport() const {
    return chosen_ ? reports_.latest(*chosen_) : nullptr;
}

QString SensorChooser::chosenName() const {
    if (const DeviceReport* report = chosenReport()) {
        return report->sensorName();
    }
    return chosen_ ? addressFieldText(*chosen_) : QString();
}

void SensorChooser::showItems() {
    const QSignalBlocker quiet(list_);
    list_->clear();
    for (const DeviceReport& report : reports_.sensors()) {
        list_->addItem(report.sensorName(), key(report.sender));
    }
    if (chosen_ && !chosenReport()) {
        list_->addItem(tr("%1 (no device packet yet)").arg(addressFieldText(*chosen_)),
                       key(*chosen_));
    }
    list_->setCurrentIndex(chosen_ ? list_->findData(key(*chosen_)) : -1);
}
