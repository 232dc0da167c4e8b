#include "app/manwindow.h"

#include "app/About.h"
#include "app/CloudView.h"
#include "app/DrawCoalescer.h"
#include "app/PlaybackBar.h"
#include "app/UserGuide.h"
#include "capture/ReadLiveOffData.h"
#include "device/CodeDialog.h"
#include "device/GetSet.h"
#include "device/InteractionMuchSet.h"
#include "lidar/DataListText.h"
#include "lidar/GetMuch.h"
#include "lidar/ThreadStop.h"
#include "platform/ImagePath.h"
#include "ui_manwindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPalette>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QStatusBar>

namespace {

// Texts of the window share the form's translation context.
QString trForm(const char* text) {
    return QCoreApplication::translate("manwindowClass", text);
}

constexpr int kDrawRateRefreshMs = 500;

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
    setWindowState(Qt::WindowMaximized);

    // 3. Workers and dialogs, in this order. The other dialogs (point range,
    // channel selection, advanced parameters, export settings) join here as
    // they are built.
    offlinePlayer = std::make_unique<ReadLiveOffData>();
    liveReceiver = std::make_unique<GetMuch>();
    statusReceiver = std::make_unique<GetSet>();
    laserConfigDialog = std::make_unique<InteractionMuchSet>();
    codeDialog = std::make_unique<CodeDialog>();
    aboutDialog = std::make_unique<About>();
    // An open dialog does not keep the program running once the window closes.
    for (QWidget* dialog :
         {static_cast<QWidget*>(laserConfigDialog.get()), static_cast<QWidget*>(codeDialog.get()),
          static_cast<QWidget*>(aboutDialog.get())}) {
        dialog->setAttribute(Qt::WA_QuitOnClose, false);
    }
    PlaybackBar::WindowHooks hooks;
    hooks.startReceiving = [this] { startReceiving(); };
    hooks.stopLiveReceivers = [this] { stopLiveReceivers(); };
    hooks.clearView = [this] { clearPlaybackView(); };
    hooks.seek = [this](int packet) { emit sendProgressChangeValue(packet); };
    hooks.showTips = [this](const QString& text) { showErrorMessage(text); };
    playbackBar = std::make_unique<PlaybackBar>(*ui, *offlinePlayer, playback, hooks, this);

    // 4. The angle tables are `geometry`, built with the window.

    // 5. View and status bar.
    conversion = std::make_unique<FrameConversion>();
    cloudView_ = std::make_unique<CloudView>(ui->screen);
    drawCoalescer = new DrawCoalescer([this] { drawLastFrame(); }, this);
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
    disableFeaturesNotBuiltYet();
    ui->comboBox_View->setCurrentIndex(CloudView::Top);
    view();
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
    palette.setColor(QPalette::ToolTipBase, Qt::black);
    palette.setColor(QPalette::ToolTipText, Qt::black);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::Button, QColor(105, 105, 105));
    palette.setColor(QPalette::ButtonText, Qt::black);
    palette.setColor(QPalette::BrightText, Qt::red);
    palette.setColor(QPalette::Highlight, QColor(142, 45, 197).lighter(150));
    palette.setColor(QPalette::HighlightedText, Qt::black);
    QApplication::setPalette(palette);
}

void manwindow::createStatusBar() {
    const auto label = [this](int minimumWidth) {
        auto* l = new QLabel(this);
        l->setMinimumSize(minimumWidth, 20);
        return l;
    };
    const DataListText::StatisticsTexts initial = DataListText::initialStatistics();
    statusLabelY = label(150);
    statusLabelY->setText(initial.y);
    statusLabelX = label(150);
    statusLabelX->setText(initial.x);
    statusLabelZ = label(150);
    statusLabelZ->setText(initial.z);
    ui->statusBar->addWidget(statusLabelY);
    ui->statusBar->addWidget(label(100));
    ui->statusBar->addWidget(statusLabelX);
    ui->statusBar->addWidget(label(10));
    ui->statusBar->addWidget(statusLabelZ);

    drawRateLabel = new QLabel(this);
    ui->statusBar->addPermanentWidget(drawRateLabel);
    showDrawRate();
    connect(&drawRateTimer, &QTimer::timeout, this, &manwindow::showDrawRate);
    drawRateTimer.start(kDrawRateRefreshMs);

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
    connect(ui->toolButton_Coor, &QToolButton::clicked, this,
            [this] { cloudView_->toggleCoordinate(); });
    connect(ui->toolButton_LidarDataList, &QToolButton::clicked, this, &manwindow::toggleDataList);
    connect(ui->toolButton_Lidar, &QToolButton::clicked, this, &manwindow::startReceiving);
    connect(ui->toolButton_MeaGrid, &QToolButton::clicked, this,
            [this] { cloudView_->toggleGrid(); });
    connect(ui->tolbtn_SuspendData, &QToolButton::clicked, this, &manwindow::toggleSuspended);
    playbackBar->wireButtons();
    connect(ui->Slider_Frame, &QSlider::sliderMoved, this, &manwindow::progressMoved);
    connect(ui->Slider_Frame, &QSlider::sliderReleased, this, &manwindow::progressReleased);
    connect(ui->toolButton, &QToolButton::clicked, this,
            [this] { showWindow(*laserConfigDialog); });
    connect(ui->toolButton_2, &QToolButton::clicked, this, [this] { showWindow(*codeDialog); });
    connect(codeDialog.get(), &CodeDialog::sendCode, this, &manwindow::onCodeData);
    connect(ui->toolButton_About, &QToolButton::clicked, this,
            [this] { showWindow(*aboutDialog); });
    // User and Develop are hidden and do nothing.
}

// Buttons of features that are not part of this build yet: present, but not
// pretending to work. Each line goes when its feature is wired above.
void manwindow::disableFeaturesNotBuiltYet() {
    for (QToolButton* button : {ui->toolButton_select, ui->toolButton_select_Range,
                                ui->toolButton_SavePcapData, ui->toolButton_3, ui->toolButton_4}) {
        button->setEnabled(false);
    }
}

void manwindow::view() {
    cloudView_->applyPreset(ui->comboBox_View->currentIndex());
}

void manwindow::startReceiving() {
    stopThreadAndWait(*liveReceiver, liveReceiver->stop, "MuLidar wait....");
    stopThreadAndWait(*statusReceiver, statusReceiver->stop, "LidarSet wait....");

    registerMuchLidarDataMetaType();
    registerSettingDataMetaTypes();
    createDataModel();

    if (playbackBar->offlineMode()) {
        startOfflinePlayer();
        return;
    }

    liveRunning = true;
    ui->toolButton_Play->setEnabled(false);
    liveReceiver->multicastAddress = ui->lineEdit_2->text().toStdString();
    liveReceiver->port = ui->lineEdit_portNumber->text().toInt();
    statusReceiver->multicastAddress = liveReceiver->multicastAddress;
    statusReceiver->port = ui->lineEdit_portNumber_2->text().toInt();

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
    // The advanced parameter dialog takes the same status here once it is built.
    connect(status, SIGNAL(SendMasterPanelVersion(QString)), aboutDialog.get(),
            SLOT(displayMasterPanelVersion(QString)), unique);
    connect(liveReceiver.get(), SIGNAL(SendError(QString)), this, SLOT(showErrorMessage(QString)),
            unique);
    connect(status, SIGNAL(SendError(QString)), this, SLOT(showErrorMessage(QString)), unique);

    liveReceiver->start(QThread::InheritPriority);
    statusReceiver->start(QThread::InheritPriority);
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
        if (const std::optional<int> packet = playbackBar->seekBeforeStart()) {
            emit sendProgressChangeValue(*packet);
        }
        offlinePlayer->start(QThread::InheritPriority);
    }
    liveRunning = false;
}

void manwindow::stopLiveReceivers() {
    if (!liveRunning) {
        return;
    }
    liveReceiver->quit();
    stopThreadAndWait(*liveReceiver, liveReceiver->stop, "MuLidar wait....");
    statusReceiver->quit();
    stopThreadAndWait(*statusReceiver, statusReceiver->stop, "LidarSet wait....");
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
}

void manwindow::closeEvent(QCloseEvent* event) {
    stopWorkers();
    QMainWindow::closeEvent(event);
}

void manwindow::createDataModel() {
    // The previous model (if any) goes with its last rows.
    QStandardItemModel* old = dataModel;
    dataModel = new QStandardItemModel(0, DataListText::kColumnCount, this);
    dataModel->setHorizontalHeaderLabels(DataListText::headers());
    ui->tableView->setModel(dataModel);
    const auto widths = DataListText::columnWidths();
    for (int c = 0; c < DataListText::kColumnCount; ++c) {
        ui->tableView->setColumnWidth(c, widths[c]);
    }
    delete old;
}

void manwindow::CalculateMuch(MuchLidarData lidardata) {
    ++framesDelivered_;
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

    // The multi-frame CSV export (exportActive) writes the frame here and
    // draws empty clouds instead.

    drawCoalescer->frameArrived();
}

void manwindow::drawLastFrame() {
    FrameSettings settings;
    settings.channels = &channels;
    settings.colourMode = ui->comboBox_4->currentIndex();
    settings.box = selectionBox;
    settings.selectionActive = selectionActive;
    settings.selectedCount = selectedCount;
    settings.firstVisibleRow = ui->tableView->verticalScrollBar()->value();
    converter.convert(lastFrame, settings, *conversion);
    tableRowCount = selectionActive ? 0 : static_cast<int>(conversion->rows.size());

    writeDataListRows();
    const DataListText::StatisticsTexts texts = DataListText::statistics(conversion->statistics);
    statusLabelX->setText(texts.x);
    statusLabelY->setText(texts.y);
    statusLabelZ->setText(texts.z);

    cloudView_->drawFrame(conversion->shown, conversion->inBox);
    // The picked-point annotation (annotationEnabled) is refreshed here once
    // picking is built.
}

void manwindow::writeDataListRows() {
    if (dataModel == nullptr) {
        return;
    }
    for (const DataListRow& row : conversion->rows) {
        const auto cells = DataListText::cells(row);
        for (int c = 0; c < DataListText::kColumnCount; ++c) {
            dataModel->setItem(row.index, c, new QStandardItem(cells[c]));
        }
    }
}

void manwindow::toggleSuspended() {
    suspended = !suspended;
}

void manwindow::clearSelectionAndView() {
    selectionBox = SelectionBox{};
    selectionActive = false;
    selectedCount = 0;
    // Before the first start there is no list to clear.
    if (dataModel != nullptr) {
        dataModel->clear();
        dataModel->setColumnCount(DataListText::kColumnCount);
        dataModel->setHorizontalHeaderLabels(DataListText::headers());
    }
    cloudView_->clearAll();
}

void manwindow::toggleDataList() {
    ui->LidraDataDock->setVisible(!ui->LidraDataDock->isVisible());
}

void manwindow::onCodeData(QString code) {
    if (CodeDialog::isAccessCode(code)) {
        // The advanced parameter dialog opens here once it is built.
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
    const QUrl page = UserGuide::writeLocalCopy();
    if (page.isEmpty() || !QDesktopServices::openUrl(page)) {
        showErrorMessage(trForm("The user guide could not be opened."));
    }
}

void manwindow::showDrawRate() {
    drawRateLabel->setText(trForm("Drawn: %1 frames/s   Skipped: %2")
                               .arg(drawCoalescer->drawsPerSecond(), 0, 'f', 1)
                               .arg(drawCoalescer->drawsSkipped()));
}
