#include "app/SensorsControl.h"

#include "app/CaptureSensorChooser.h"
#include "app/FormText.h"
#include "app/OtherSensorsView.h"
#include "app/PlaybackBar.h"
#include "app/SensorSettings.h"
#include "app/SensorsPanel.h"
#include "app/StatusNotice.h"
#include "device/GetSet.h"
#include "lidar/CloudUnderCursor.h"
#include "lidar/GetMuch.h"
#include "lidar/SensorPalette.h"
#include "platform/ImagePath.h"
#include "ui_manwindow.h"

#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

AddressBytes bytesOf(const SensorId& sensor) {
    return {static_cast<std::uint8_t>(sensor.address >> 24),
            static_cast<std::uint8_t>(sensor.address >> 16),
            static_cast<std::uint8_t>(sensor.address >> 8),
            static_cast<std::uint8_t>(sensor.address)};
}

std::vector<SensorId> idsOf(const CaptureFile& capture) {
    std::vector<SensorId> ids;
    for (const CaptureSensor& s : capture.sensors()) {
        ids.push_back(s.id);
    }
    return ids;
}

} // namespace

SensorsControl::SensorsControl(QMainWindow& window, Ui::manwindowClass& ui, Workers workers,
                               CloudView& view, const FrameConverter& converter, WindowHooks hooks)
    : QObject(&window), ui_(ui), workers_(workers), view_(view), hooks_(std::move(hooks)),
      others_(std::make_unique<OtherSensorsView>(view, converter)), notice_(new QLabel(&window)),
      listTitle_(ui.LidraDataDock->windowTitle()) {
    choice_.prefer(SensorSettings::shown());

    notice_->setObjectName(QStringLiteral("label_Sensors"));
    notice_->setTextFormat(Qt::PlainText);
    notice_->setToolTip(trForm("Click to choose the sensor shown"));
    notice_->setCursor(Qt::PointingHandCursor);
    notice_->installEventFilter(this);
    notice_->hide();

    SensorsPanel::Sources sources;
    sources.counts = [live = &workers_.live] { return live->sensorCounts(); };
    sources.reports = [status = &workers_.status] { return status->sensors(); };
    sources.poseOf = [this](const SensorId& sensor) { return pose(sensor); };
    sources.colourOf = [this](const SensorId& sensor) -> std::optional<Rgb> {
        if (choice_.order(sensor) < 0) {
            return std::nullopt;
        }
        return colour(sensor);
    };
    panel_ = new SensorsPanel(sources, &window);
    window.addDockWidget(Qt::BottomDockWidgetArea, panel_);
    // Beside the range image, as tabs when both are open.
    if (auto* rangeImage = window.findChild<QDockWidget*>(QStringLiteral("RangeImageDock"))) {
        window.tabifyDockWidget(rangeImage, panel_);
    }
    panel_->hide();
    connect(panel_, &SensorsPanel::sensorChosen, this, [this](const SensorId& s) { show(s); });
    connect(panel_, &SensorsPanel::allChosen, this, [this] { showAll(); });
    connect(panel_, &SensorsPanel::poseEdited, this, &SensorsControl::setPose);
    connect(panel_, &SensorsPanel::poseRefused, this,
            [this](const QString& text) { StatusNotice::show(*ui_.statusBar, text); });

    // Its tool button, on the "Lidar" tab under the view list, where it
    // takes no width of its own: at 1366 pixels the tab has none to spare.
    panelButton_ = new QToolButton(ui.Tab_1);
    panelButton_->setObjectName(QStringLiteral("toolButton_Sensors"));
    panelButton_->setText(trForm("Sensors"));
    panelButton_->setToolTip(trForm("Shows or hides the list of the sensors sending to the data "
                                    "port, where one or all are chosen and each one's pose typed"));
    panelButton_->setIcon(ImagePath::icon(QStringLiteral("./Resources/images/Sensors.png")));
    panelButton_->setIconSize(QSize(32, 32));
    panelButton_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    panelButton_->setAutoRaise(true);
    panelButton_->setCheckable(true);
    const int viewAt = ui.horizontalLayout_3->indexOf(ui.comboBox_View);
    if (viewAt >= 0) {
        auto* column = new QVBoxLayout;
        column->setSpacing(ui.gridLayout_LidarTools->verticalSpacing());
        ui.horizontalLayout_3->removeWidget(ui.comboBox_View);
        column->addWidget(ui.comboBox_View);
        column->addWidget(panelButton_);
        ui.horizontalLayout_3->insertLayout(viewAt, column);
    } else {
        ui.gridLayout_LidarTools->addWidget(panelButton_, 0,
                                            ui.gridLayout_LidarTools->columnCount());
    }
    connect(panelButton_, &QToolButton::toggled, panel_, &QDockWidget::setVisible);
    connect(panel_, &QDockWidget::visibilityChanged, panelButton_, [this] {
        // Hidden behind another tabbed dock still counts as open.
        panelButton_->setChecked(!panel_->isHidden());
    });

    // Fitting the camera takes in every sensor shown.
    view.setFitAlso([this] {
        std::vector<const CloudView::Cloud*> clouds;
        for (const OtherSensorsView::Shown& o : others_->clouds()) {
            clouds.push_back(o.cloud);
        }
        return clouds;
    });

    captureChooser_ = std::make_unique<CaptureSensorChooser>(
        ui, [this](int index) { chooseCapturePlayed(index); });
}

SensorsControl::~SensorsControl() = default;

void SensorsControl::runStarting(bool live) {
    choice_.startRun(live);
    others_->clear();
    if (live) {
        panel_->restart();
    }
}

bool SensorsControl::frameArrived(const SensorId& sensor) {
    const std::optional<SensorId> before = choice_.shown();
    if (choice_.heard(sensor, !hooks_.exporting())) {
        const std::optional<SensorId> now = choice_.shown();
        if (now != before && !choice_.showsAll()) {
            // The sensor kept from an earlier run is heard again.
            const std::optional<SensorId> preferred = choice_.preference().sensor;
            if (before) {
                hooks_.forgetShown();
            }
            if (now && preferred && preferred->matches(*now)) {
                hooks_.chooseDeviceSensor(bytesOf(*now));
            }
        }
        if (!panelOffered_ && choice_.sensors().size() == 2 && hooks_.liveRunning()) {
            panelOffered_ = true;
            panel_->show();
        }
        updateNotice();
    }
    return choice_.shows(sensor);
}

bool SensorsControl::toolsOn(const SensorId& sensor) const {
    const std::optional<SensorId> s = choice_.shown();
    return s && *s == sensor;
}

void SensorsControl::keepOther(MuchLidarData frame) {
    others_->keep(std::move(frame));
}

void SensorsControl::drawOthers(const FrameSettings& base) {
    if (!choice_.showsAll()) {
        return;
    }
    others_->drawChanged([&](const SensorId& sensor) {
        FrameSettings settings;
        settings.channels = base.channels;
        settings.colourMode = base.colourMode;
        settings.pose = placement(sensor);
        settings.sensorColour = colour(sensor);
        return settings;
    });
}

void SensorsControl::clearOthers() {
    others_->clear();
}

PoseTransform SensorsControl::placement(const SensorId& sensor) const {
    return choice_.showsAll() ? PoseTransform(pose(sensor)) : PoseTransform();
}

Rgb SensorsControl::colour(const SensorId& sensor) const {
    return SensorPalette::colour(std::max(choice_.order(sensor), 0));
}

bool SensorsControl::show(const SensorId& sensor) {
    const bool showing = !choice_.showsAll() && choice_.shows(sensor);
    if (!showing && hooks_.exporting()) {
        hooks_.showTips(trForm("A CSV export of %1 is running: choose another sensor once it "
                               "has finished.")
                            .arg(choice_.shown() ? choice_.shown()->text() : QString()));
        updateNotice();
        return false;
    }
    choice_.choose(sensor);
    keepChoice();
    if (!showing) {
        others_->clear();
        hooks_.forgetShown();
    }
    hooks_.chooseDeviceSensor(bytesOf(sensor));
    updateNotice();
    return true;
}

bool SensorsControl::showAll() {
    if (choice_.preference().all) {
        return true;
    }
    if (hooks_.exporting()) {
        hooks_.showTips(trForm("A CSV export of %1 is running: show all sensors once it has "
                               "finished.")
                            .arg(choice_.shown() ? choice_.shown()->text() : QString()));
        updateNotice();
        return false;
    }
    const bool wasShown = choice_.showsAll();
    choice_.chooseAll();
    keepChoice();
    // A capture plays one sensor: all are shown from the next live run on.
    if (choice_.showsAll() != wasShown) {
        others_->clear();
        hooks_.forgetShown();
    }
    updateNotice();
    return true;
}

bool SensorsControl::moveTools(const SensorId& sensor, MuchLidarData& frame) {
    if (!choice_.showsAll() || toolsOn(sensor) || hooks_.exporting() ||
        !others_->exchange(sensor, frame)) {
        return false;
    }
    choice_.focus(sensor);
    updateNotice();
    return true;
}

SensorPose SensorsControl::pose(const SensorId& sensor) const {
    for (const KeptPose& kept : poses_) {
        if (kept.address == sensor.address) {
            return kept.pose;
        }
    }
    poses_.push_back({sensor.address, SensorSettings::pose(sensor)});
    return poses_.back().pose;
}

void SensorsControl::setPose(const SensorId& sensor, const SensorPose& pose) {
    if (this->pose(sensor) == pose) {
        return;
    }
    for (KeptPose& kept : poses_) {
        if (kept.address == sensor.address) {
            kept.pose = pose;
        }
    }
    SensorSettings::keepPose(sensor, pose);
    panel_->showPoses();
    if (choice_.showsAll()) {
        // Every sensor at this address moves.
        for (const SensorId& s : choice_.sensors()) {
            if (s.address == sensor.address) {
                others_->settingsChanged(s);
            }
        }
        hooks_.poseChanged(sensor);
    }
}

std::optional<SensorId> SensorsControl::sensorUnderArea(const FrustumPick& frustum, ViewPoint start,
                                                        const CloudView::Cloud& toolsCloud) const {
    if (!showsAll()) {
        return std::nullopt;
    }
    const std::vector<OtherSensorsView::Shown> others = others_->clouds();
    return sensorOfCloud(others, CloudUnderCursor::ofArea(cloudsOnScreen(toolsCloud, others),
                                                          frustum, view_.screenSnap(), start));
}

std::optional<SensorId> SensorsControl::sensorUnderClick(double x, double y, double radius,
                                                         const CloudView::Cloud& toolsCloud) const {
    if (!showsAll()) {
        return std::nullopt;
    }
    const std::vector<OtherSensorsView::Shown> others = others_->clouds();
    return sensorOfCloud(others, CloudUnderCursor::ofClick(cloudsOnScreen(toolsCloud, others),
                                                           view_.screenSnap(), x, y, radius));
}

std::vector<const CloudView::Cloud*>
SensorsControl::cloudsOnScreen(const CloudView::Cloud& toolsCloud,
                               const std::vector<OtherSensorsView::Shown>& others) {
    std::vector<const CloudView::Cloud*> clouds{&toolsCloud};
    for (const OtherSensorsView::Shown& o : others) {
        clouds.push_back(o.cloud);
    }
    return clouds;
}

std::optional<SensorId>
SensorsControl::sensorOfCloud(const std::vector<OtherSensorsView::Shown>& others,
                              std::optional<std::size_t> cloud) const {
    if (!cloud) {
        return std::nullopt;
    }
    return *cloud == 0 ? choice_.shown() : others[*cloud - 1].sensor;
}

void SensorsControl::settingsForgotten() {
    const bool wasAll = choice_.showsAll();
    choice_.prefer({});
    poses_.clear();
    panel_->showPoses();
    if (wasAll) {
        others_->clear();
        hooks_.forgetShown();
    }
    updateNotice();
}

void SensorsControl::keepChoice() {
    SensorSettings::keepShown(choice_.preference(), choice_.sensors());
}

void SensorsControl::captureShown() {
    PlaybackBar& bar = workers_.playback;
    const std::shared_ptr<const CaptureFile>& capture = bar.capture();
    const std::optional<SensorId> preferred = choice_.preference().sensor;
    if (capture && preferred && !preferred->matches(capture->sensor(bar.sensorPlayed()).id)) {
        // The sensor kept from an earlier choice plays, when the capture
        // has it; playSensor() shows the capture again.
        for (int i = 0; i < capture->sensorCount(); ++i) {
            if (preferred->matches(capture->sensor(i).id) && bar.playSensor(i)) {
                return;
            }
        }
    }
    captureChooser_->show(capture.get(), bar.sensorPlayed());
    updateNotice();
}

void SensorsControl::chooseCapturePlayed(int index) {
    PlaybackBar& bar = workers_.playback;
    const std::shared_ptr<const CaptureFile> capture = bar.capture();
    if (!capture || index < 0 || index >= capture->sensorCount()) {
        return;
    }
    choice_.prefer({false, capture->sensor(index).id});
    keepChoice();
    if (!bar.playSensor(index)) {
        captureShown(); // the box shows what plays
        return;
    }
    announceCaptureSensor();
}

void SensorsControl::announceCaptureSensor() {
    const PlaybackBar& bar = workers_.playback;
    const std::shared_ptr<const CaptureFile>& capture = bar.capture();
    const CaptureSensor& played = capture->sensor(bar.sensorPlayed());
    const int frames = std::max(played.frameCount() - 1, 0);
    const QString name = QFileInfo(capture->captureFileName()).fileName();
    const QString sensor = played.id.label(idsOf(*capture));
    StatusNotice::show(*ui_.statusBar,
                       frames == 1 ? trForm("%1: 1 frame of %2, ready to play").arg(name, sensor)
                                   : trForm("%1: %2 frames of %3, ready to play")
                                         .arg(name, QString::number(frames), sensor));
}

void SensorsControl::updateNotice() {
    QString text;
    QString listed;
    const std::shared_ptr<const CaptureFile>& capture = workers_.playback.capture();
    if (hooks_.liveRunning()) {
        const std::vector<SensorId>& heard = choice_.sensors();
        const std::optional<SensorId> shown = choice_.shown();
        const QString sensors =
            heard.size() == 1
                ? trForm("1 sensor on port %1").arg(workers_.live.port)
                : trForm("%1 sensors on port %2").arg(heard.size()).arg(workers_.live.port);
        if (shown && choice_.showsAll()) {
            listed = shown->label(heard);
            text = trForm("%1: showing all\nlist, picking and export: %2").arg(sensors, listed);
        } else if (shown && heard.size() > 1) {
            listed = shown->label(heard);
            text = trForm("%1: showing %2").arg(sensors, listed);
        }
    } else if (capture && capture->sensorCount() > 1) {
        listed = capture->sensor(workers_.playback.sensorPlayed()).id.label(idsOf(*capture));
        text = trForm("%1 sensors in %2: showing %3")
                   .arg(capture->sensorCount())
                   .arg(QFileInfo(capture->captureFileName()).fileName())
                   .arg(listed);
    }
    notice_->setText(text);
    notice_->setVisible(!text.isEmpty());
    // The list says whose points it holds whenever there is a choice.
    ui_.LidraDataDock->setWindowTitle(listed.isEmpty() ? listTitle_
                                                       : trForm("%1: %2").arg(listTitle_, listed));
    panel_->showChoice(choice_.preference().all, choice_.shown());
}

bool SensorsControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == notice_ && event->type() == QEvent::MouseButtonRelease) {
        panel_->show();
        panel_->raise();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
