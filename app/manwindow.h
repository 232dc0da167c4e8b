#pragma once

#include "app/PlaybackPosition.h"
#include "capture/AdapterChooser.h"
#include "device/ConfigFields.h"
#include "lidar/ChannelGeometry.h"
#include "lidar/ChannelSelection.h"
#include "lidar/FrameConverter.h"
#include "lidar/MuchLidarData.h"
#include "lidar/SelectionBox.h"
#include "lidar/SensorId.h"

#include <QMainWindow>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

namespace Ui {
class manwindowClass;
}
class About;
class ACWPSetMuch;
class AreaPicking;
class CloudView;
class CodeDialog;
class CsvExport;
class DataListModel;
class DataListPanel;
class DrawCoalescer;
class EmptyViewHint;
class GetMuch;
class GetSet;
class HealthPanel;
class InspectionTools;
class InteractionMuchSet;
class MousePointOverlay;
class PlaybackBar;
class ReceiverControl;
class RecordControl;
class QLaserSelectionMuch;
class ReadLiveOffData;
class SampleCapture;
class SaveData;
class SelectPointRange;
class SensorsControl;
class ViewSaving;
class WindowSettings;
class QCloseEvent;
class QLabel;
class QShowEvent;

// The main window: the form, the 3D view, the data list and the status bar,
// the workers and the wiring between them. Frames arrive in CalculateMuch;
// the work itself is done by FrameConverter (points, rows, statistics),
// CloudView (drawing) and DrawCoalescer (when to draw).
class manwindow : public QMainWindow {
    Q_OBJECT
public:
    explicit manwindow(QWidget* parent = nullptr);
    ~manwindow() override;

    // For tests and diagnostics.
    GetMuch& liveReceiverThread() { return *liveReceiver; }
    ReadLiveOffData& offlinePlayerThread() { return *offlinePlayer; }
    PlaybackBar& playbackControl() { return *playbackBar; }
    RecordControl& recordControl() { return *recordControl_; }
    const PlaybackPosition& playbackPosition() const { return playback; }
    GetSet& statusReceiverThread() { return *statusReceiver; }
    InteractionMuchSet& laserConfigWindow() { return *laserConfigDialog; }
    CodeDialog& codeWindow() { return *codeDialog; }
    ACWPSetMuch& advancedWindow() { return *advancedDialog; }
    About& aboutWindow() { return *aboutDialog; }
    QLaserSelectionMuch& channelWindow() { return *channelDialog; }
    SaveData& saveDataWindow() { return *saveDataDialog; }
    SelectPointRange& pointRangeWindow() { return *selectPointRangeDialog; }
    AreaPicking& areaPicking() { return *picking; }
    const MousePointOverlay& mousePointOverlay() const { return *pointOverlay; }
    CsvExport& csvExport() { return *csvExporter; }
    CloudView& cloudView() { return *cloudView_; }
    const DrawCoalescer& drawing() const { return *drawCoalescer; }
    const MuchLidarData& lastFrameReceived() const { return lastFrame; }
    const FrameConversion& lastConversion() const { return *conversion; }
    DataListModel* dataListModel() const;
    ChannelSelection& channelSelection();
    HealthPanel& healthPanel() { return *healthPanel_; }
    ViewSaving& viewSaving() { return *viewSaving_; }
    WindowSettings& windowSettings() { return *settings_; }
    InspectionTools& inspectionTools() { return *inspection_; }
    SampleCapture& sampleCapture() { return *sample_; }
    EmptyViewHint& emptyViewHint() { return *emptyHint_; }
    std::uint64_t framesDelivered() const { return framesDelivered_.load(); }

    // Several sensors sending to the data port (SensorsControl): the window
    // shows one of them, the one chosen here (or in the sensors list, or
    // kept from an earlier run) or else the first heard; frames of the
    // others are not drawn, listed, picked or exported. Or it shows all of
    // them, each placed by its pose, while the tools work on one. False,
    // with a "Tips" box, while a CSV export runs. A capture's sensor is
    // chosen with PlaybackBar::playSensor.
    bool showSensor(const SensorId& sensor);
    bool showAllSensors();
    bool allSensorsShown() const;
    // The sensor shown, or with all shown the one the tools work on.
    std::optional<SensorId> shownSensor() const;
    // The sensors whose frames reached the window since reception started,
    // first heard first.
    const std::vector<SensorId>& sensorsHeard() const;
    SensorsControl& sensors() { return *sensors_; }
    // The sensor (the address its packets come from) that Laser Config, the
    // advanced window and About show and act on, as if chosen in each.
    void chooseDeviceSensor(const AddressBytes& sensor);

signals:
    // A seek of the capture player to a packet. The playback bar asks the
    // player for frames instead (a packet cannot tell frame 0 from frame 1
    // when the first marker lies in packet 0, nor apart frames whose markers
    // share a packet); the signal stays for whoever seeks by packet.
    void sendProgressChangeValue(int);

private slots:
    void view();
    void SelectPoints();
    void SelectPointsRange();
    void CalculateMuch(MuchLidarData lidardata);
    void onCodeData(QString code);
    void FinshorStart(bool Finshone);
    void progressMoved(int);
    void progressReleased();
    void getSaveDataOkSignal(bool finishFlag);
    void showErrorMessage(QString Mess);
    void changeSelectPointRange();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void applyApplicationLook();
    void createStatusBar();
    void wireButtons();
    void clearPlaybackView();
    void drawLastFrame();
    void saveCsv();
    std::optional<SelectionBox> exportBox() const;
    void toggleSuspended();
    void clearSelectionAndView();
    void toggleDataList();
    void openUserGuide();
    void saveFrameAs();
    void openSampleCapture();
    // Another sensor (or all) is shown: nothing of the frames before stays.
    void forgetShownFrame();
    // With all sensors shown, the tools go to `sensor`'s frame.
    void moveToolsTo(const SensorId& sensor);
    // The frame of the tools is drawn again where it now stands.
    void redrawToolsFrame();

    std::unique_ptr<Ui::manwindowClass> ui;

    // Workers; created once, stopped and waited for when the window closes.
    std::unique_ptr<GetMuch> liveReceiver;
    std::unique_ptr<ReadLiveOffData> offlinePlayer;
    std::unique_ptr<PlaybackBar> playbackBar;
    std::unique_ptr<GetSet> statusReceiver;
    std::unique_ptr<RecordControl> recordControl_;
    std::unique_ptr<ReceiverControl> receivers_;
    // Asks which adapter live captures use when several can; handed to
    // everyone who captures.
    AdapterChooser::Picker adapterPicker;
    // Dialogs; created once, shown from the tool bar, hidden when closed.
    std::unique_ptr<SelectPointRange> selectPointRangeDialog;
    std::unique_ptr<InteractionMuchSet> laserConfigDialog;
    std::unique_ptr<QLaserSelectionMuch> channelDialog;
    std::unique_ptr<CodeDialog> codeDialog;
    std::unique_ptr<ACWPSetMuch> advancedDialog;
    std::unique_ptr<About> aboutDialog;
    std::unique_ptr<SaveData> saveDataDialog;

    ChannelGeometry geometry; // the per-channel angle tables
    FrameConverter converter{geometry};
    std::unique_ptr<FrameConversion> conversion; // realTimeCloud and selectedCloud
    std::unique_ptr<CloudView> cloudView_;
    // Selection box, selectionActive, selectedCount, annotationEnabled.
    std::unique_ptr<AreaPicking> picking;
    std::unique_ptr<MousePointOverlay> pointOverlay;
    // The range image, the ruler and the frame trail.
    std::unique_ptr<InspectionTools> inspection_;
    // exportActive, exportedFrames and the export file.
    std::unique_ptr<CsvExport> csvExporter;
    DrawCoalescer* drawCoalescer = nullptr;
    std::unique_ptr<ViewSaving> viewSaving_;
    std::unique_ptr<WindowSettings> settings_;

    MuchLidarData lastFrame;
    // lastFrame arrived since the last draw (with all sensors shown, draws
    // also follow other sensors' frames).
    bool lastFrameNew_ = false;
    SensorsControl* sensors_ = nullptr;
    PlaybackPosition playback;
    bool suspended = false;
    // The last frame went to the multi-frame export: it is not drawn.
    bool lastFrameExported = false;

    std::unique_ptr<DataListPanel> dataList_;
    bool dataListFitted_ = false; // the list's dock got its width once
    HealthPanel* healthPanel_ = nullptr;
    EmptyViewHint* emptyHint_ = nullptr;
    std::unique_ptr<SampleCapture> sample_;

    std::atomic<std::uint64_t> framesDelivered_{0};
};
