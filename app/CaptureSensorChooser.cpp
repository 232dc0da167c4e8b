#include "app/CaptureSensorChooser.h"

#include "app/FormText.h"
#include "capture/CaptureFile.h"
#include "ui_manwindow.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>
#include <algorithm>

CaptureSensorChooser::CaptureSensorChooser(Ui::manwindowClass& ui, std::function<void(int)> choose,
                                           QObject* parent)
    : QObject(parent), label_(new QLabel(trForm("Sensor"), ui.tab)), box_(new QComboBox(ui.tab)),
      choose_(std::move(choose)) {
    label_->setObjectName(QStringLiteral("label_CaptureSensor"));
    box_->setObjectName(QStringLiteral("comboBox_CaptureSensor"));
    box_->setToolTip(trForm("The sensor of the capture that is played"));
    box_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    label_->setBuddy(box_);
    const int at = ui.horizontalLayout->indexOf(ui.Spbox_Frame) + 1;
    ui.horizontalLayout->insertWidget(at, label_);
    ui.horizontalLayout->insertWidget(at + 1, box_);
    label_->hide();
    box_->hide();
    connect(box_, QOverload<int>::of(&QComboBox::activated), this,
            [this](int index) { choose_(index); });
}

void CaptureSensorChooser::show(const CaptureFile* capture, int played) {
    const QSignalBlocker quiet(box_);
    box_->clear();
    const bool several = capture != nullptr && capture->sensorCount() > 1;
    if (several) {
        std::vector<SensorId> all;
        for (const CaptureSensor& s : capture->sensors()) {
            all.push_back(s.id);
        }
        for (const CaptureSensor& s : capture->sensors()) {
            // Whole frames, as the capture's announcement counts them.
            const int frames = std::max(s.frameCount() - 1, 0);
            box_->addItem(frames == 1 ? trForm("%1 (1 frame)").arg(s.id.label(all))
                                      : trForm("%1 (%2 frames)").arg(s.id.label(all)).arg(frames));
        }
        box_->setCurrentIndex(played);
    }
    label_->setVisible(several);
    box_->setVisible(several);
}
