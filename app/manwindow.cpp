#include "app/manwindow.h"

#include "advanced/ACWPSetMuch.h"
#include "app/About.h"
#include "app/AdapterPicker.h"
#include "app/AreaPicking.h"
#include "app/CaptureDrop.h"
#include "app/CloudView.h"
#include "app/ComboBoxFit.h"
#include "app/CsvExport.h"
#include "app/DataListPanel.h"
#include "app/DrawCoalescer.h"
#include "app/EmptyViewHint.h"
#include "app/FormText.h"
#include "app/HealthPanel.h"
#include "app/InspectionTools.h"
#include "app/MousePointOverlay.h"
#include "app/PlaybackBar.h"
#include "app/PlaybackKeys.h"
#include "app/ReceiverControl.h"
#include "app/RecordControl.h"
#include "app/RulerTool.h"
#include "app/SampleCapture.h"
#include "app/SensorsControl.h"
#include "app/StatusNotice.h"
#include "app/UserGuide.h"
#include "app/ViewFocusHint.h"
#include "app/ViewSaving.h"
#include "app/WindowFit.h"
#include "app/WindowSettings.h"
#include "capture/ReadLiveOffData.h"
#include "device/CodeDialog.h"
#include "device/GetSet.h"
#include "device/InteractionMuchSet.h"
#include "dialogs/QLaserSelectionMuch.h"
#include "dialogs/SaveData.h"
#include "dialogs/SelectPointRange.h"
#include "lidar/GetMuch.h"
#include "platform/ImagePath.h"
#include "ui_manwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPalette>
#include <QShowEvent>
#include <QStatusBar>
#include <utility>

namespace {

// Texts of the window share the form's translation context.
// Dialogs are shown non-modally; one already open comes to the front.
void showWindow(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace

manwindow::manwindow(QWidget* parent) : QMainWindow(parent), ui(new Ui::manwindowClass) {
    // 1. Form. Its icons are built-in resources of a static library.
    ImagePath::ensureResources();
    ui->setupUi(this);

    // 2. Look.
    applyApplicationLook();
    ComboBoxFit::fitItems(*ui->comboBox_4);
    WindowFit::fillScreen(*this);

    // 3. Workers and dialogs, in this order.
    selectPointRangeDialog = std::make_unique<SelectPointRange>();
    connect(selectPointRangeDialog.get(), &SelectPointRange::sendOkCliced, this,
            &manwindow::changeSelectPointRange, Qt::UniqueConnection);
    offlinePlayer = std::make_unique<ReadLiveOffData>();
    liveReceiver = std::make_unique<GetMuch>();
    statusReceiver = std::make_unique<GetSet>();
    laserConfigDialog = std::make_unique<InteractionMuchSet>();
    channelDialog = std::make_unique<QLaserSelectionMuch>();
    codeDialog = std::make_unique<CodeDialog>();
    advancedDialog = std::make_unique<ACWPSetMuch>();
    aboutDialog = std::make_unique<About>();
    saveDataDialog = std::make_unique<SaveData>();
    connect(saveDataDialog.get(), &SaveData::sendOkSignal, this, &manwindow::getSaveDataOkSignal,
            Qt::UniqueConnection);
    // An open dialog does not keep the program running once the window closes.
    for (QWidget* dialog :
         {static_cast<QWidget*>(laserConfigDialog.get()), static_cast<QWidget*>(codeDialog.get()),
          static_cast<QWidget*>(advancedDialog.get()), static_cast<QWidget*>(aboutDialog.get()),
          static_cast<QWidget*>(selectPointRangeDialog.get()),
          static_cast<QWidget*>(channelDialog.get()),
          static_cast<QWidget*>(saveDataDialog.get())}) {
        dialog->setAttribute(Qt::WA_QuitOnClose, false);
    }
    PlaybackBar::WindowHooks hooks;
    hooks.startReceiving = [this] { receivers_->start(); };
    hooks.stopLiveReceivers = [this] { receivers_->stopLive(); };
    hooks.clearView = [this] { clearPlaybackView(); };
    hooks.holdDrawing = [this](bool hold) {
        hold ? drawCoalescer->hold() : drawCoalescer->resume();
    };
    hooks.showTips = [this](const QString& text) { showErrorMessage(text); };
    hooks.focusView = [this] { ui->screen->setFocus(Qt::OtherFocusReason); };
    hooks.captureShown = [this] { sensors_->captureShown(); };
    playbackBar = std::make_unique<PlaybackBar>(*ui, *offlinePlayer, playback, hooks, this);
    adapterPicker = AdapterPicker::forWindow(this);
    recordControl_ = std::make_unique<RecordControl>(
        *ui, adapterPicker, [this](const QString& text) { showErrorMessage(text); }, this);
    advancedDialog->setAdapterPicker(AdapterPicker::forWindow(advancedDialog.get()));
    ReceiverControl::WindowHooks receiverHooks;
    receiverHooks.starting = [this] {
        dataList_->createModel();
        cloudView_->fitFirstFrame();
        healthPanel_->sourceChanged();
        sensors_->runStarting(!playbackBar->offlineMode());
    };
    receiverHooks.started = [this] { sensors_->updateNotice(); };
    receiverHooks.showTips = hooks.showTips;
    receiverHooks.focusView = hooks.focusView;
    receivers_ = std::make_unique<ReceiverControl>(
        *ui, ReceiverControl::Workers{*liveReceiver, *statusReceiver, *offlinePlayer},
        ReceiverControl::Peers{*this, *laserConfigDialog, *advancedDialog, *aboutDialog},
        *playbackBar, playback, receiverHooks);

    // 4. The angle tables are `geometry`, built with the window.

    // 5. View and status bar.
    conversion = std::make_unique<FrameConversion>();
    cloudView_ = std::make_unique<CloudView>(ui->screen);
    drawCoalescer = new DrawCoalescer([this] { drawLastFrame(); }, this);
    AreaPicking::WindowHooks pickingHooks;
    pickingHooks.lastFrame = [this]() -> const MuchLidarData& { return lastFrame; };
    pickingHooks.shownCloud = [this]() -> const FrameConversion::Cloud& {
        return *conversion->shown;
    };
    pickingHooks.channels = [this] { return &channelDialog->selection(); };
    pickingHooks.showListing = [this](SelectionListing l) { dataList_->showListing(std::move(l)); };
    // With all sensors shown, picking works on the sensor under the pick.
    pickingHooks.beforePick = [this](const FrustumPick& frustum, ViewPoint start) {
        if (const auto sensor = sensors_->sensorUnderArea(frustum, start, *conversion->shown)) {
            moveToolsTo(*sensor);
        }
    };
    pickingHooks.placement = [this] { return sensors_->placement(lastFrame.sensor); };
    picking = std::make_unique<AreaPicking>(*cloudView_, converter, *this, pickingHooks);
    // The button shows whether the next drag selects.
    ui->toolButton_select->setCheckable(true);
    connect(picking.get(), &AreaPicking::armedChanged, ui->toolButton_select,
            &QToolButton::setChecked);
    pointOverlay = std::make_unique<MousePointOverlay>(*cloudView_);
    const InspectionTools::Sources toolSources{
        pickingHooks.lastFrame,
        pickingHooks.shownCloud,
        pickingHooks.channels,
        [this] { return ui->comboBox_4->currentIndex(); },
        [this](const QString& text) { showErrorMessage(text); },
        [this] { return sensors_->colour(lastFrame.sensor); },
        pickingHooks.placement};
    inspection_ = std::make_unique<InspectionTools>(*this, *ui, *cloudView_, geometry, toolSources);
    // With all sensors shown, a measurement's first click chooses its sensor.
    inspection_->ruler().setBeforeFirstPoint([this](double x, double y, double radius) {
        if (const auto sensor = sensors_->sensorUnderClick(x, y, radius, *conversion->shown)) {
            moveToolsTo(*sensor);
        }
    });
    csvExporter = std::make_unique<CsvExport>(
        geometry, this, [this](const QString& text) { showErrorMessage(text); });
    const auto showDone = [this](const QString& text) { StatusNotice::show(*ui->statusBar, text); };
    connect(csvExporter.get(), &CsvExport::SendDone, this, showDone);
    // Frames a stopped receiver sent arrive before it reports its end.
    connect(liveReceiver.get(), &QThread::finished, this,
            [this] { csvExporter->endEarly(trForm("stopped")); });
    connect(picking.get(), &AreaPicking::SendSelectionChanged, saveDataDialog.get(),
            &SaveData::showSelectionBoxNote);
    viewSaving_ = std::make_unique<ViewSaving>(
        *cloudView_, geometry, this, [this](const QString& text) { showErrorMessage(text); },
        showDone);
    createStatusBar();
    emptyHint_ = new EmptyViewHint(*ui->screen);
    sample_ = std::make_unique<SampleCapture>(QCoreApplication::applicationDirPath());

    // 6. Buttons.
    wireButtons();

    // 7. Initial state.
    ui->toolButton_Play->setEnabled(false);
    ui->toolButton_GoToEnd->setEnabled(false);
    ui->toolButton_GoToStart->setEnabled(false);
    ui->toolButton_SeekBackward->setEnabled(false);
    ui->toolButton_SeekForward->setEnabled(false);
    ui->toolButton_Develop->hide();
    ui->toolButton_User->hide();
    ui->comboBox_View->setCurrentIndex(CloudView::Top);
    view();

    // What the last run left, and the desktop's ways in: playback keys and
    // captures dropped on the window.
    settings_ = std::make_unique<WindowSettings>(*this, *ui, *cloudView_);
    settings_->restore();
    settings_->setForgotten([this] { sensors_->settingsForgotten(); });
    new PlaybackKeys(*this,
                     {ui->toolButton_Play, ui->toolButton_SeekBackward, ui->toolButton_SeekForward,
                      ui->toolButton_GoToStart, ui->toolButton_GoToEnd},
                     [this] { return !playbackBar->paused(); });
    new CaptureDrop(*this, *ui->toolButton_Open,
                    [this](const QString& path) { playbackBar->openCapture(path); });
}

manwindow::~manwindow() {
    receivers_->stopAll();
    recordControl_->stopRecording();
}

void manwindow::applyApplicationLook() {
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(230, 230, 230));
    palette.setColor(QPalette::WindowText, Qt::black);
    palette.setColor(QPalette::Base, QColor(255, 255, 255));
    palette.setColor(QPalette::AlternateBase, QColor(105, 105, 105));
    // Tooltips carry the health details: dark text on a pale ground.
    palette.setColor(QPalette::ToolTipBase, QColor(255, 255, 225));
    palette.setColor(QPalette::ToolTipText, Qt::black);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::Button, QColor(105, 105, 105));
    palette.setColor(QPalette::ButtonText, Qt::black);
    palette.setColor(QPalette::BrightText, Qt::red);
    palette.setColor(QPalette::Highlight, QColor(142, 45, 197).lighter(150));
    palette.setColor(QPalette::HighlightedText, Qt::black);
    // Disabled controls must look disabled: grey text, and fields on the
    // window's colour rather than white. Icons grey themselves.
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, QColor(140, 140, 140));
    }
    palette.setColor(QPalette::Disabled, QPalette::Base, palette.color(QPalette::Window));
    QApplication::setPalette(palette);
}

void manwindow::createStatusBar() {
    dataList_ = std::make_unique<DataListPanel>(*ui->tableView, *ui->statusBar, this);
    new ViewFocusHint(*ui->screen, *ui->statusBar);
    HealthPanel::Sources health;
    health.counts = [this] {
        const GetMuch::Totals received = liveReceiver->totals();
        ReceptionCounts counts;
        counts.datagrams = received.datagrams;
        counts.wrongSize = received.wrongSize;
        counts.kernelDrops = received.kernelDrops;
        counts.sensorBound = received.sensorBound;
        counts.framesDrawn = drawCoalescer->framesDrawn();
        return counts;
    };
    health.lastDevicePacket = [this] { return statusReceiver->lastPacketTime(); };
    healthPanel_ = new HealthPanel(health, this);
    SensorsControl::WindowHooks sensorHooks;
    sensorHooks.exporting = [this] { return csvExporter->active(); };
    sensorHooks.forgetShown = [this] { forgetShownFrame(); };
    sensorHooks.poseChanged = [this](const SensorId& sensor) {
        if (sensors_->toolsOn(sensor)) {
            redrawToolsFrame();
        } else {
            drawLastFrame();
        }
    };
    sensorHooks.chooseDeviceSensor = [this](const AddressBytes& a) { chooseDeviceSensor(a); };
    sensorHooks.showTips = [this](const QString& text) { showErrorMessage(text); };
    sensorHooks.liveRunning = [this] { return receivers_->liveRunning(); };
    sensors_ = new SensorsControl(
        *this, *ui, SensorsControl::Workers{*liveReceiver, *statusReceiver, *playbackBar},
        *cloudView_, converter, sensorHooks);
    ui->statusBar->addPermanentWidget(sensors_->notice());
    ui->statusBar->addPermanentWidget(healthPanel_);

    auto* guideLink = new QLabel(UserGuide::linkText(), this);
    guideLink->setObjectName(QStringLiteral("label_UserGuide"));
    guideLink->setTextFormat(Qt::RichText);
    guideLink->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(guideLink, &QLabel::linkActivated, this, &manwindow::openUserGuide);
    ui->statusBar->addPermanentWidget(guideLink);
}

void manwindow::wireButtons() {
    connect(ui->toolButton_clear, &QToolButton::clicked, this, &manwindow::clearSelectionAndView);
    connect(ui->comboBox_View, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &manwindow::view);
    // Choosing the preset shown again brings a moved camera back to it.
    connect(ui->comboBox_View, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
        if (!cloudView_->showsPreset(index)) {
            view();
        }
    });
    connect(ui->toolButton_Coor, &QToolButton::clicked, this,
            [this] { cloudView_->toggleCoordinate(); });
    connect(ui->toolButton_LidarDataList, &QToolButton::clicked, this, &manwindow::toggleDataList);
    connect(ui->toolButton_Lidar, &QToolButton::clicked, this, [this] { receivers_->goLive(); });
    connect(ui->toolButton_MeaGrid, &QToolButton::clicked, this,
            [this] { cloudView_->toggleGrid(); });
    connect(ui->tolbtn_SuspendData, &QToolButton::clicked, this, &manwindow::toggleSuspended);
    connect(ui->toolButton_select, &QToolButton::clicked, this, &manwindow::SelectPoints);
    connect(ui->toolButton_select_Range, &QToolButton::clicked, this,
            &manwindow::SelectPointsRange);
    playbackBar->wireButtons();
    recordControl_->wireButton();
    connect(ui->Slider_Frame, &QSlider::sliderMoved, this, &manwindow::progressMoved);
    connect(ui->Slider_Frame, &QSlider::sliderReleased, this, &manwindow::progressReleased);
    connect(ui->toolButton, &QToolButton::clicked, this,
            [this] { showWindow(*laserConfigDialog); });
    connect(ui->toolButton_4, &QToolButton::clicked, this, &manwindow::saveCsv);
    connect(ui->toolButton_3, &QToolButton::clicked, this, [this] { showWindow(*channelDialog); });
    connect(ui->toolButton_2, &QToolButton::clicked, this, [this] { showWindow(*codeDialog); });
    connect(codeDialog.get(), &CodeDialog::sendCode, this, &manwindow::onCodeData);
    connect(ui->toolButton_About, &QToolButton::clicked, this,
            [this] { showWindow(*aboutDialog); });
    connect(ui->toolButton_SaveImage, &QToolButton::clicked, this,
            [this] { viewSaving_->saveImage(); });
    connect(ui->toolButton_SaveFrame, &QToolButton::clicked, this, &manwindow::saveFrameAs);
    connect(ui->toolButton_RestoreDefaults, &QToolButton::clicked, this,
            [this] { settings_->askAndRestoreDefaults(); });
    connect(ui->toolButton_OpenSample, &QToolButton::clicked, this, &manwindow::openSampleCapture);
    connect(emptyHint_, &EmptyViewHint::sampleRequested, this, &manwindow::openSampleCapture);
    // User and Develop are hidden and do nothing.
}

void manwindow::chooseDeviceSensor(const AddressBytes& sensor) {
    laserConfigDialog->chooseSensor(sensor);
    advancedDialog->chooseSensor(sensor);
    aboutDialog->chooseSensor(sensor);
}

void manwindow::view() {
    cloudView_->applyPreset(ui->comboBox_View->currentIndex());
}

void manwindow::SelectPoints() {
    picking->toggleArming();
}

void manwindow::SelectPointsRange() {
    selectPointRangeDialog->showWithValues(PointRange::of(picking->box()));
}

void manwindow::changeSelectPointRange() {
    picking->setBox(selectPointRangeDialog->range().box());
}

ChannelSelection& manwindow::channelSelection() {
    return channelDialog->selection();
}

void manwindow::clearPlaybackView() {
    // What the old player sent before it ended arrives now, before the view
    // is emptied, and not on top of the next capture.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    QCoreApplication::sendPostedEvents(drawCoalescer, QEvent::MetaCall);
    // The selection, the list and its figures belonged to the old source.
    picking->clear();
    dataList_->clearList();
    dataList_->clearStatistics();
    cloudView_->clearAll();
    inspection_->clear();
    emptyHint_->viewEmptied();
}

void manwindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!std::exchange(dataListFitted_, true)) {
        dataList_->fitDock(*ui->splitter);
    }
}

void manwindow::closeEvent(QCloseEvent* event) {
    settings_->save();
    playbackBar->cancelLoading();
    receivers_->stopAll();
    recordControl_->stopRecording();
    csvExporter->finish();
    QMainWindow::closeEvent(event);
}

void manwindow::CalculateMuch(MuchLidarData lidardata) {
    if (!sensors_->frameArrived(lidardata.sensor)) {
        return;
    }
    ++framesDelivered_;
    if (!sensors_->toolsOn(lidardata.sensor)) {
        // All sensors are shown: another sensor's frame is drawn beside.
        if (!suspended) {
            sensors_->keepOther(std::move(lidardata));
            drawCoalescer->frameArrived();
        }
        return;
    }
    healthPanel_->frameArrived(lidardata.size(), playback.arrivingAtCaptureStart());
    if (playback.arrivingFrame) {
        playbackBar->captureFrameArrived(*playback.arrivingFrame, lidardata.size());
    }
    if (suspended) {
        return;
    }
    lastFrame = std::move(lidardata);
    lastFrameNew_ = true;

    if (playback.advance()) {
        if (!playback.sliderDragging) {
            ui->Slider_Frame->setValue(playback.currentFrame);
        }
        ui->Spbox_Frame->setValue(playback.currentFrame);
    }

    // Every frame of a multi-frame export is written here, also those that
    // a newer frame keeps from being drawn; an exported frame is not drawn.
    lastFrameExported = csvExporter->active();
    if (lastFrameExported) {
        csvExporter->exportFrame(lastFrame, exportBox(), sensors_->placement(lastFrame.sensor));
    }

    drawCoalescer->frameArrived();
}

void manwindow::drawLastFrame() {
    FrameSettings settings;
    settings.channels = &channelDialog->selection();
    settings.colourMode = ui->comboBox_4->currentIndex();
    sensors_->drawOthers(settings);
    if (!std::exchange(lastFrameNew_, false)) {
        // Only other sensors' frames came.
        cloudView_->render();
        return;
    }
    inspection_->beforeDraw(conversion->shown, lastFrameExported);
    if (lastFrameExported) {
        // The exported frame leaves the view and the list empty.
        converter.convert(MuchLidarData{}, FrameSettings{}, *conversion);
    } else {
        settings.pose = sensors_->placement(lastFrame.sensor);
        settings.sensorColour = sensors_->colour(lastFrame.sensor);
        settings.box = picking->box();
        settings.selectionActive = picking->selectionActive();
        settings.selectedCount = picking->selectedCount();
        converter.convert(lastFrame, settings, *conversion);
        dataList_->showFrameRows(conversion->rows, picking->selectionActive());
    }
    dataList_->showStatistics(conversion->statistics);

    // The text goes with the coming render; the picker reads the depth of
    // the last one, so one render serves both.
    if (picking->annotationEnabled()) {
        pointOverlay->refresh();
    }
    cloudView_->drawFrame(conversion->shown, conversion->inBox);
    emptyHint_->frameDrawn();
    inspection_->afterDraw();
}

bool manwindow::showSensor(const SensorId& sensor) {
    return sensors_->show(sensor);
}

bool manwindow::showAllSensors() {
    return sensors_->showAll();
}

bool manwindow::allSensorsShown() const {
    return sensors_->showsAll();
}

std::optional<SensorId> manwindow::shownSensor() const {
    return sensors_->shown();
}

const std::vector<SensorId>& manwindow::sensorsHeard() const {
    return sensors_->heard();
}

void manwindow::forgetShownFrame() {
    // What is on its way is drawn first, then goes with the rest.
    QCoreApplication::sendPostedEvents(drawCoalescer, QEvent::MetaCall);
    lastFrame = MuchLidarData{};
    lastFrame.sensor = sensors_->shown().value_or(SensorId{});
    lastFrameNew_ = false;
    picking->clear();
    dataList_->clearList();
    cloudView_->clearAll();
    inspection_->clear();
    healthPanel_->sourceChanged();
}

void manwindow::moveToolsTo(const SensorId& sensor) {
    if (!sensors_->moveTools(sensor, lastFrame)) {
        return;
    }
    // A selection of the other sensor's points means nothing here.
    picking->clear();
    healthPanel_->sourceChanged();
    redrawToolsFrame();
}

void manwindow::redrawToolsFrame() {
    // Without the frame cloud the trail lets its older frames go: they
    // stood elsewhere, or were another sensor's.
    cloudView_->removeCloud(CloudView::kFrameCloudId);
    lastFrameNew_ = true;
    drawLastFrame();
}

void manwindow::toggleSuspended() {
    suspended = !suspended;
    ui->tolbtn_SuspendData->setChecked(suspended);
}

void manwindow::clearSelectionAndView() {
    sensors_->clearOthers();
    picking->clear();
    dataList_->clearList();
    cloudView_->clearAll();
    inspection_->clear();
    healthPanel_->reset();
    emptyHint_->viewEmptied();
}

std::optional<SelectionBox> manwindow::exportBox() const {
    if (!picking->selectionActive()) {
        return std::nullopt;
    }
    return picking->box();
}

void manwindow::saveCsv() {
    if (csvExporter->refuseWhileExporting()) {
        return;
    }
    // A frozen display saves the frame on screen; otherwise the settings of
    // a multi-frame export are asked for.
    if (suspended || (playbackBar->offlineMode() && playbackBar->paused())) {
        csvExporter->saveFrame(lastFrame, exportBox(), sensors_->placement(lastFrame.sensor));
    } else {
        showWindow(*saveDataDialog);
    }
}

void manwindow::saveFrameAs() {
    viewSaving_->saveFrame(lastFrame, exportBox(), sensors_->placement(lastFrame.sensor));
}

void manwindow::getSaveDataOkSignal(bool finishFlag) {
    Q_UNUSED(finishFlag)
    csvExporter->start(saveDataDialog->settings());
}

void manwindow::toggleDataList() {
    ui->LidraDataDock->setVisible(!ui->LidraDataDock->isVisible());
}

void manwindow::onCodeData(QString code) {
    if (CodeDialog::isAccessCode(code)) {
        showWindow(*advancedDialog);
        return;
    }
    QMessageBox box(QMessageBox::Warning, trForm("warring"), trForm("密码错误"), QMessageBox::Ok,
                    this);
    box.exec();
}

void manwindow::FinshorStart(bool Finshone) {
    // The player stopped at the capture's end (or start) with every frame
    // before it delivered: an export waiting for more would wait for ever.
    csvExporter->endEarly(trForm("the capture ended"));
    playbackBar->finishOrStart(Finshone);
}

void manwindow::progressMoved(int value) {
    playbackBar->progressMoved(value);
}

void manwindow::progressReleased() {
    playbackBar->progressReleased();
}

void manwindow::showErrorMessage(QString Mess) {
    QMessageBox box(QMessageBox::Warning, trForm("Tips"), Mess, QMessageBox::Ok, this);
    box.exec();
}

void manwindow::openUserGuide() {
    const UserGuide::Opening opening = UserGuide::open();
    if (opening.opened) {
        StatusNotice::show(*ui->statusBar, opening.text);
    } else {
        showErrorMessage(opening.text);
    }
}

void manwindow::openSampleCapture() {
    QString error;
    const QString path = sample_->ensure(this, &error);
    if (path.isEmpty()) {
        if (!error.isEmpty()) {
            showErrorMessage(error);
        }
        return;
    }
    playbackBar->openCapture(path);
}

DataListModel* manwindow::dataListModel() const {
    return dataList_->model();
}
