#include "app/RecordControl.h"

#include "app/FormText.h"
#include "app/StatusNotice.h"
#include "capture/CaptureRecorder.h"
#include "lidar/ThreadStop.h"
#include "platform/LastFolders.h"
#include "ui_manwindow.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QStatusBar>
#include <cmath>

namespace {

constexpr int kFiguresRefreshMs = 250;

} // namespace

RecordControl::RecordControl(Ui::manwindowClass& ui, AdapterChooser::Picker picker,
                             std::function<void(const QString&)> showTips, QWidget* window)
    : ui_(ui), picker_(std::move(picker)), showTips_(std::move(showTips)), window_(window),
      recorder_(std::make_unique<CaptureRecorder>()), statusLabel_(new QLabel(window)) {
    statusLabel_->setObjectName(QStringLiteral("label_Recording"));
    ui_.statusBar->addPermanentWidget(statusLabel_);
    ui_.toolButton_SavePcapData->setCheckable(true);
    QObject::connect(recorder_.get(), &CaptureRecorder::SendError, window_,
                     [this](const QString& text) { showTips_(text); });
    // However the recorder ends; a new recording may already run by the
    // time this arrives.
    QObject::connect(recorder_.get(), &QThread::finished, window_, [this] {
        if (!recorder_->isRunning()) {
            showIdle();
            if (recorder_->fileCreated()) {
                StatusNotice::show(
                    *ui_.statusBar,
                    writtenText(fileName_, recorder_->packetsWritten(), recordingClock_.elapsed()));
            }
        }
    });
    QObject::connect(&figuresTimer_, &QTimer::timeout, window_, [this] { showFigures(); });
    showIdle();
}

RecordControl::~RecordControl() {
    stopThreadAndWait(*recorder_, recorder_->stop, "Recorder wait....");
}

void RecordControl::wireButton() {
    QObject::connect(ui_.toolButton_SavePcapData, &QToolButton::clicked, window_,
                     [this] { buttonClicked(); });
}

void RecordControl::buttonClicked() {
    if (recording()) {
        stopRecording();
        return;
    }
    // The button shows pressed only once recording has started.
    showIdle();
    QString error;
    const std::optional<std::string> adapter = AdapterChooser::resolve(picker_, &error);
    if (!adapter) {
        if (!error.isEmpty()) {
            showTips_(error);
        }
        return;
    }
    QFileDialog dialog(window_, trForm("Save PCAP"),
                       LastFolders::proposedPath(LastFolders::Dialog::SavePcap,
                                                 proposedFileName(QDateTime::currentDateTime())),
                       trForm("WireSharkCaptureFile (*.pcap)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pcap"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().value(0).isEmpty()) {
        return;
    }
    LastFolders::remember(LastFolders::Dialog::SavePcap, dialog.selectedFiles().value(0));
    startRecording(*adapter, dialog.selectedFiles().value(0));
}

void RecordControl::startRecording(const std::string& adapter, const QString& path) {
    stopRecording();
    recorder_->adapter = adapter;
    recorder_->captureFilter = ("port " + ui_.lineEdit_portNumber->text()).toStdString();
    recorder_->recordPath = QFile::encodeName(path);
    fileName_ = QFileInfo(path).fileName();
    recordingClock_.start();
    recorder_->start(QThread::LowPriority);
    showRecording();
}

void RecordControl::stopRecording() {
    stopThreadAndWait(*recorder_, recorder_->stop, "Recorder wait....");
    showIdle();
}

bool RecordControl::recording() const {
    return recorder_->isRunning();
}

QString RecordControl::proposedFileName(const QDateTime& now) {
    return QStringLiteral("Vantor_") + now.toString(QStringLiteral("yyyy-MM-dd-hh-mm")) +
           QStringLiteral(".pcap");
}

QString RecordControl::writtenText(const QString& fileName, std::uint64_t packets,
                                   qint64 elapsedMs) {
    const QLocale english(QLocale::English);
    const QString count = english.toString(static_cast<qulonglong>(packets));
    const auto seconds = static_cast<qint64>(std::llround(static_cast<double>(elapsedMs) / 1000));
    return (packets == 1 ? trForm("%1: %2 packet, %3 s") : trForm("%1: %2 packets, %3 s"))
        .arg(fileName, count, QString::number(seconds));
}

void RecordControl::showRecording() {
    ui_.toolButton_SavePcapData->setChecked(true);
    ui_.toolButton_SavePcapData->setToolTip(trForm("Recording; press to stop"));
    showFigures();
    statusLabel_->show();
    figuresTimer_.start(kFiguresRefreshMs);
}

void RecordControl::showIdle() {
    figuresTimer_.stop();
    statusLabel_->hide();
    statusLabel_->clear();
    ui_.toolButton_SavePcapData->setChecked(false);
    ui_.toolButton_SavePcapData->setToolTip(trForm("Record the data port's traffic"));
}

void RecordControl::showFigures() {
    statusLabel_->setText(trForm("Recording %1: %2 packets, %3 bytes written")
                              .arg(fileName_)
                              .arg(recorder_->packetsWritten())
                              .arg(recorder_->bytesWritten()));
}
