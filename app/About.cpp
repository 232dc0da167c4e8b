#include "app/About.h"

#include "device/SensorChooser.h"
#include "ui_About.h"

About::About(QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::About>()), sensors_(new SensorChooser(this)) {
    ui_->setupUi(this);
    ui_->verticalLayout->insertWidget(ui_->verticalLayout->indexOf(ui_->horizontalLayout),
                                      sensors_);
    connect(sensors_, &SensorChooser::chosenChanged, this, &About::showVersion);
    connect(sensors_, &SensorChooser::chosenReported, this, &About::showVersion);
}

About::~About() = default;

void About::OnDeviceReport(const DeviceReport& report) {
    sensors_->take(report);
}

void About::chooseSensor(const AddressBytes& sensor) {
    sensors_->choose(sensor);
}

void About::showVersion() {
    const DeviceReport* report = sensors_->chosenReport();
    ui_->label_Version_Display->setText(
        report ? DeviceInfoPacket::mainBoardVersionText(report->span()) : QString());
}
