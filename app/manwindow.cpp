#include "app/manwindow.h"

#include "advanced/ACWPSetMuch.h"
#include "app/About.h"
#include "app/AdapterPicker.h"
#include "app/AreaPicking.h"
#include "app/CaptureDrop.h"
#include "app/CloudView.h"
#include "app/ComboBoxFit.h"
#include "app/CsvExport.h"
#include "app/DrawCoalescer.h"
#include "app/FormText.h"
#include "app/HealthPanel.h"
#include "app/MousePointOverlay.h"
#include "app/PlaybackBar.h"
#include "app/PlaybackKeys.h"
#include "app/RecordControl.h"
#include "app/StatusNotice.h"
#include "app/TabCompactLabel.h"
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
#include "lidar/DataListText.h"
#include "lidar/GetMuch.h"
#include "lidar/PortField.h"
#include "lidar/ThreadStop.h"
#include "platform/ImagePath.h"
#include "ui_manwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMessageBox>
#include <QPalette>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QStatusBar>

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
    hooks.startReceiving = [this] { startReceiving(); };
    hooks.stopLiveReceivers = [this] { stopLiveReceivers(); };
    hooks.clearView = [this] { clearPlaybackView(); };
    hooks.holdDrawing = [this](bool hold) {
        hold ? drawCoalescer->hold() : drawCoalescer->resume();
    };
    hooks.showTips = [this](const QString& text) { showErrorMessage(text); };
    hooks.focusView = [this] { ui->screen->setFocus(Qt::OtherFocusReason); };
    playbackBar = std::make_unique<PlaybackBar>(*ui, *offlinePlayer, playback, hooks, this);
    adapterPicker = AdapterPicker::forWindow(this);
    recordControl_ = std::make_unique<RecordControl>(
        *ui, adapterPicker, [this](const QString& text) { showErrorMessage(text); }, this);
    advancedDialog->setAdapterPicker(AdapterPicker::forWindow(advancedDialog.get()));

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
    pickingHooks.showListing = [this](const SelectionListing& l) { showSelectionListing(l); };
    picking = std::make_unique<AreaPicking>(*cloudView_, converter, *this, pickingHooks);
    pointOverlay = std::make_unique<MousePointOverlay>(*cloudView_);
    csvExporter = std::make_unique<CsvExport>(
        geometry, this, [this](const QString& text) { showErrorMessage(text); });
    connect(csvExporter.get(), &CsvExport::SendDone, this,
            [this](const QString& text) { StatusNotice::show(*ui->statusBar, text); });
    viewSaving_ = std::make_unique<ViewSaving>(
        *cloudView_, geometry, this, [this](const QString& text) { showErrorMessage(text); });
    createStatusBar();

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
    new PlaybackKeys(*this,
                     {ui->toolButton_Play, ui->toolButton_SeekBackward, ui->toolButton_SeekForward,
                      ui->toolButton_GoToStart, ui->toolButton_GoToEnd},
                     [this] { return !playbackBar->paused(); });
    new CaptureDrop(*this, *ui->toolButton_Open,
                    [this](const QString& path) { playbackBar->openCapture(path); });
}

manwindow::~manwindow() {
    stopWorkers();
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
    const auto label = [this](int minimumWidth) {
        auto* l = new TabCompactLabel(this);
        l->setMinimumSize(minimumWidth, 20);
        return l;
    };
    const DataListText::StatisticsTexts initial = DataListText::initialStatistics();
    statusLabelY = label(150);
    statusLabelY->setObjectName(QStringLiteral("statusLabelY"));
    statusLabelY->setText(initial.y);
    statusLabelX = label(150);
    statusLabelX->setObjectName(QStringLiteral("statusLabelX"));
    statusLabelX->setText(initial.x);
    statusLabelZ = label(150);
    statusLabelZ->setObjectName(QStringLiteral("statusLabelZ"));
    statusLabelZ->setText(initial.z);
    ui->statusBar->addWidget(statusLabelY);
    ui->statusBar->addWidget(label(100));
    ui->statusBar->addWidget(statusLabelX);
    ui->statusBar->addWidget(label(10));
    ui->statusBar->addWidget(statusLabelZ);

    new ViewFocusHint(*ui->screen, *ui->statusBar);
    HealthPanel::Sources health;
    health.counts = [this] {
        const GetMuch::Totals received = liveReceiver->totals();
        ReceptionCounts counts;
        counts.datagrams = received.datagrams;
        counts.wrongSize = received.wrongSize;
        counts.kernelDrops = received.kernelDrops;
        counts.framesDrawn = drawCoalescer->framesDrawn();
        return counts;
    };
    health.lastDevicePacket = [this] { return statusReceiver->lastPacketTime(); };
    healthPanel_ = new HealthPanel(health, this);
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
    connect(ui->toolButton_Lidar, &QToolButton::clicked, this, &manwindow::startReceiving);
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
    // User and Develop are hidden and do nothing.
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

void manwindow::startReceiving() {
    // A port text that is not a port changes nothing, running receivers
    // included.
    if (!playbackBar->offlineMode() && !portFieldsAccepted()) {
        return;
    }
    stopThreadAndWait(*liveReceiver, liveReceiver->stop, "MuLidar wait....");
    stopThreadAndWait(*statusReceiver, statusReceiver->stop, "LidarSet wait....");
    statusReceiver->stop = false; // asked of a run that had just ended on its own

    registerMuchLidarDataMetaType();
    registerSettingDataMetaTypes();
    createDataModel();
    cloudView_->fitFirstFrame();
    healthPanel_->sourceChanged();

    if (playbackBar->offlineMode()) {
        startOfflinePlayer();
        return;
    }

    liveRunning = true;
    // A capture frame's number whose frame a suspended display dropped.
    playback.arrivingFrame.reset();
    ui->toolButton_Play->setEnabled(false);
    liveReceiver->multicastAddress = ui->lineEdit_2->text().toStdString();
    liveReceiver->port = *PortField::parse(ui->lineEdit_portNumber->text());
    statusReceiver->multicastAddress = liveReceiver->multicastAddress;
    statusReceiver->port = *PortField::parse(ui->lineEdit_portNumber_2->text());

    // Made on every start; the unique flag keeps each of them single.
    const auto unique = Qt::UniqueConnection;
    GetSet* status = statusReceiver.get();
    connect(status, SIGNAL(SendDataDifo(QByteArray)), laserConfigDialog.get(),
            SLOT(OnLidarDifoData(QByteArray)), unique);
    connect(liveReceiver.get(), SIGNAL(SendLidarData(struct MuchLidarData)), this,
            SLOT(CalculateMuch(struct MuchLidarData)), unique);
    connect(status, SIGNAL(SendLidarStatusToSettingUI(struct SettingData, std::vector<int>)),
            laserConfigDialog.get(),
            SLOT(OnLidarStatusReceiving(struct SettingData, std::vector<int>)), unique);
    connect(status, SIGNAL(SendLidarStatusToSettingUI(struct SettingData, std::vector<int>)),
            advancedDialog.get(),
            SLOT(onLidarStatusReceiving(struct SettingData, std::vector<int>)), unique);
    connect(status, SIGNAL(SendMasterPanelVersion(QString)), aboutDialog.get(),
            SLOT(displayMasterPanelVersion(QString)), unique);
    connect(liveReceiver.get(), SIGNAL(SendError(QString)), this, SLOT(showErrorMessage(QString)),
            unique);
    connect(status, SIGNAL(SendError(QString)), this, SLOT(showErrorMessage(QString)), unique);

    liveReceiver->start(QThread::InheritPriority);
    statusReceiver->start(QThread::InheritPriority);
    ui->screen->setFocus(Qt::OtherFocusReason);
}

bool manwindow::portFieldsAccepted() {
    for (const auto& [name, field] :
         {std::pair{trForm("Data Port"), ui->lineEdit_portNumber},
          std::pair{trForm("Telemetry Port"), ui->lineEdit_portNumber_2}}) {
        const QString refusal = PortField::refusal(name, field->text());
        if (!refusal.isEmpty()) {
            showErrorMessage(refusal);
            return false;
        }
    }
    return true;
}

void manwindow::startOfflinePlayer() {
    // Made on every start; the unique flag keeps each of them single.
    const auto unique = Qt::UniqueConnection;
    connect(offlinePlayer.get(), SIGNAL(SendData(struct MuchLidarData)), this,
            SLOT(CalculateMuch(struct MuchLidarData)), unique);
    connect(offlinePlayer.get(), SIGNAL(SendBool(bool)), this, SLOT(FinshorStart(bool)), unique);
    connect(offlinePlayer.get(), SIGNAL(SendError(QString)), this, SLOT(showErrorMessage(QString)),
            unique);
    connect(this, SIGNAL(sendProgressChangeValue(int)), offlinePlayer.get(),
            SLOT(getProgressChangeValue(int)), unique);
    if (!offlinePlayer->isRunning()) {
        offlinePlayer->setCapture(playbackBar->capture());
        if (const std::optional<int> frame = playbackBar->frameBeforeStart()) {
            offlinePlayer->showFrame(*frame, ReadLiveOffData::AfterFrame::PlayOn);
        }
        offlinePlayer->start(QThread::InheritPriority);
    }
    liveRunning = false;
}

void manwindow::stopLiveReceivers() {
    if (!liveRunning) {
        return;
    }
    // The data receiver has ended before a capture takes over, so that no
    // live frame follows. The status receiver only feeds the device windows:
    // it ends on its own within its receive time-out (a new start, or
    // closing, waits for it).
    statusReceiver->quit();
    if (statusReceiver->isRunning()) {
        statusReceiver->stop = true;
    }
    liveReceiver->quit();
    stopThreadAndWait(*liveReceiver, liveReceiver->stop, "MuLidar wait....");
}

void manwindow::clearPlaybackView() {
    // What the old player sent before it ended arrives now, before the view
    // is emptied, and not on top of the next capture.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    QCoreApplication::sendPostedEvents(drawCoalescer, QEvent::MetaCall);
    cloudView_->clearAll();
}

void manwindow::stopWorkers() {
    stopThreadAndWait(*liveReceiver, liveReceiver->stop, "MuLidar wait....");
    stopThreadAndWait(*statusReceiver, statusReceiver->stop, "LidarSet wait....");
    offlinePlayer->stopAndWait();
    recordControl_->stopRecording();
}

void manwindow::closeEvent(QCloseEvent* event) {
    settings_->save();
    playbackBar->cancelLoading();
    stopWorkers();
    csvExporter->finish();
    QMainWindow::closeEvent(event);
}

void manwindow::createDataModel() {
    // The previous model (if any) goes with its last rows.
    QStandardItemModel* old = dataModel;
    dataModel = new QStandardItemModel(0, DataListText::kColumnCount, this);
    dataModel->setHorizontalHeaderLabels(DataListText::headers());
    showDataModel();
    delete old;
}

void manwindow::showDataModel() {
    ui->tableView->setModel(dataModel);
    const auto widths = DataListText::columnWidths();
    for (int c = 0; c < DataListText::kColumnCount; ++c) {
        ui->tableView->setColumnWidth(c, widths[c]);
    }
}

void manwindow::CalculateMuch(MuchLidarData lidardata) {
    ++framesDelivered_;
    healthPanel_->frameArrived(lidardata.size(), playback.arrivingAtCaptureStart());
    if (suspended) {
        return;
    }
    lastFrame = std::move(lidardata);

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
        csvExporter->exportFrame(lastFrame, exportBox());
    }

    drawCoalescer->frameArrived();
}

void manwindow::drawLastFrame() {
    if (lastFrameExported) {
        // The exported frame leaves the view and the list empty.
        converter.convert(MuchLidarData{}, FrameSettings{}, *conversion);
    } else {
        FrameSettings settings;
        settings.channels = &channelDialog->selection();
        settings.colourMode = ui->comboBox_4->currentIndex();
        settings.box = picking->box();
        settings.selectionActive = picking->selectionActive();
        settings.selectedCount = picking->selectedCount();
        settings.firstVisibleRow = ui->tableView->verticalScrollBar()->value();
        converter.convert(lastFrame, settings, *conversion);
        tableRowCount = picking->selectionActive() ? 0 : static_cast<int>(conversion->rows.size());
        writeDataListRows(conversion->rows);
    }
    showStatistics(conversion->statistics);

    // The text goes with the coming render; the picker reads the depth of
    // the last one, so one render serves both.
    if (picking->annotationEnabled()) {
        pointOverlay->refresh();
    }
    cloudView_->drawFrame(conversion->shown, conversion->inBox);
}

void manwindow::showStatistics(const BoxStatistics& statistics) {
    const DataListText::StatisticsTexts texts = DataListText::statistics(statistics);
    statusLabelX->setText(texts.x);
    statusLabelY->setText(texts.y);
    statusLabelZ->setText(texts.z);
}

void manwindow::resetDataList() {
    // Before the first start there is no list.
    if (dataModel == nullptr) {
        return;
    }
    dataModel->clear();
    dataModel->setColumnCount(DataListText::kColumnCount);
    dataModel->setHorizontalHeaderLabels(DataListText::headers());
}

void manwindow::showSelectionListing(const SelectionListing& listing) {
    resetDataList();
    writeDataListRows(listing.rows);
    showStatistics(listing.statistics);
}

void manwindow::writeDataListRows(const std::vector<DataListRow>& rows) {
    if (dataModel == nullptr) {
        return;
    }
    // Each cell set in a shown model makes the view redo its layout, which
    // for a large selection costs time with the square of its rows: those
    // are written with the list detached.
    const bool detached = rows.size() > static_cast<std::size_t>(FrameConverter::kListedPoints);
    if (detached) {
        ui->tableView->setModel(nullptr);
    }
    for (const DataListRow& row : rows) {
        const auto cells = DataListText::cells(row);
        for (int c = 0; c < DataListText::kColumnCount; ++c) {
            dataModel->setItem(row.index, c, new QStandardItem(cells[c]));
        }
    }
    if (detached) {
        showDataModel();
    }
}

void manwindow::toggleSuspended() {
    suspended = !suspended;
    ui->tolbtn_SuspendData->setChecked(suspended);
}

void manwindow::clearSelectionAndView() {
    picking->clear();
    resetDataList();
    cloudView_->clearAll();
    healthPanel_->reset();
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
        csvExporter->saveFrame(lastFrame, exportBox());
    } else {
        showWindow(*saveDataDialog);
    }
}

void manwindow::saveFrameAs() {
    viewSaving_->saveFrame(lastFrame, exportBox());
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
