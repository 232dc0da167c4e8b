#include "app/ReceiverControl.h"

#include "advanced/ACWPSetMuch.h"
#include "app/About.h"
#include "app/FormText.h"
#include "app/PlaybackBar.h"
#include "capture/ReadLiveOffData.h"
#include "device/GetSet.h"
#include "device/InteractionMuchSet.h"
#include "lidar/GetMuch.h"
#include "lidar/PortField.h"
#include "lidar/ThreadStop.h"
#include "ui_manwindow.h"

ReceiverControl::ReceiverControl(Ui::manwindowClass& ui, Workers workers, Peers peers,
                                 PlaybackBar& playback, PlaybackPosition& position,
                                 WindowHooks hooks)
    : ui_(ui), workers_(workers), peers_(peers), playback_(playback), position_(position),
      hooks_(std::move(hooks)) {}

void ReceiverControl::start() {
    if (!playback_.offlineMode() && !portFieldsAccepted()) {
        return;
    }
    GetMuch& live = workers_.live;
    GetSet& status = workers_.status;
    stopThreadAndWait(live, live.stop, "MuLidar wait....");
    stopThreadAndWait(status, status.stop, "LidarSet wait....");
    status.stop = false; // asked of a run that had just ended on its own

    registerMuchLidarDataMetaType();
    registerSettingDataMetaTypes();
    registerDeviceReportMetaType();
    hooks_.starting();
    if (playback_.offlineMode()) {
        startPlayer();
    } else {
        startLive();
    }
    if (hooks_.started) {
        hooks_.started();
    }
}

bool ReceiverControl::portFieldsAccepted() {
    for (const auto& [name, field] :
         {std::pair{trForm("Data Port"), ui_.lineEdit_portNumber},
          std::pair{trForm("Telemetry Port"), ui_.lineEdit_portNumber_2}}) {
        const QString refusal = PortField::refusal(name, field->text());
        if (!refusal.isEmpty()) {
            hooks_.showTips(refusal);
            return false;
        }
    }
    return true;
}

void ReceiverControl::startLive() {
    GetMuch* live = &workers_.live;
    GetSet* status = &workers_.status;
    liveRunning_ = true;
    // A capture frame's number whose frame a suspended display dropped.
    position_.arrivingFrame.reset();
    ui_.toolButton_Play->setEnabled(false);
    live->multicastAddress = ui_.lineEdit_2->text().toStdString();
    live->port = *PortField::parse(ui_.lineEdit_portNumber->text());
    status->multicastAddress = live->multicastAddress;
    status->port = *PortField::parse(ui_.lineEdit_portNumber_2->text());

    // Made on every start; the unique flag keeps each of them single.
    const auto unique = Qt::UniqueConnection;
    QObject* window = &peers_.window;
    QObject::connect(live, SIGNAL(SendLidarData(struct MuchLidarData)), window,
                     SLOT(CalculateMuch(struct MuchLidarData)), unique);
    // The device windows take each sensor's packets with their sender and
    // show the sensor chosen in them.
    for (QObject* deviceWindow :
         std::initializer_list<QObject*>{&peers_.laserConfig, &peers_.advanced, &peers_.about}) {
        QObject::connect(status, SIGNAL(SendDeviceReport(DeviceReport)), deviceWindow,
                         SLOT(OnDeviceReport(DeviceReport)), unique);
    }
    QObject::connect(live, SIGNAL(SendError(QString)), window, SLOT(showErrorMessage(QString)),
                     unique);
    QObject::connect(status, SIGNAL(SendError(QString)), window, SLOT(showErrorMessage(QString)),
                     unique);

    live->start(QThread::InheritPriority);
    status->start(QThread::InheritPriority);
    hooks_.focusView();
}

void ReceiverControl::startPlayer() {
    ReadLiveOffData* player = &workers_.player;
    QObject* window = &peers_.window;
    // Made on every start; the unique flag keeps each of them single.
    const auto unique = Qt::UniqueConnection;
    QObject::connect(player, SIGNAL(SendData(struct MuchLidarData)), window,
                     SLOT(CalculateMuch(struct MuchLidarData)), unique);
    QObject::connect(player, SIGNAL(SendBool(bool)), window, SLOT(FinshorStart(bool)), unique);
    QObject::connect(player, SIGNAL(SendError(QString)), window, SLOT(showErrorMessage(QString)),
                     unique);
    QObject::connect(window, SIGNAL(sendProgressChangeValue(int)), player,
                     SLOT(getProgressChangeValue(int)), unique);
    if (!player->isRunning()) {
        player->setCapture(playback_.capture(), playback_.sensorPlayed());
        if (const std::optional<int> frame = playback_.frameBeforeStart()) {
            player->showFrame(*frame, ReadLiveOffData::AfterFrame::PlayOn);
        }
        player->start(QThread::InheritPriority);
    }
    liveRunning_ = false;
}

void ReceiverControl::stopLive() {
    if (!liveRunning_) {
        return;
    }
    // The data receiver has ended before a capture takes over, so that no
    // live frame follows. The status receiver only feeds the device windows:
    // it ends on its own within its receive time-out (a new start, or
    // closing, waits for it).
    GetSet& status = workers_.status;
    status.quit();
    if (status.isRunning()) {
        status.stop = true;
    }
    workers_.live.quit();
    stopThreadAndWait(workers_.live, workers_.live.stop, "MuLidar wait....");
    liveRunning_ = false;
}

void ReceiverControl::stopAll() {
    stopThreadAndWait(workers_.live, workers_.live.stop, "MuLidar wait....");
    stopThreadAndWait(workers_.status, workers_.status.stop, "LidarSet wait....");
    workers_.player.stopAndWait();
}
