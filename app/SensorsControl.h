#pragma once

#include "app/CloudView.h"
#include "app/OtherSensorsView.h"
#include "device/ConfigFields.h"
#include "lidar/FrameConverter.h"
#include "lidar/FrustumPick.h"
#include "lidar/PoseTransform.h"
#include "lidar/SensorChoice.h"
#include "lidar/SensorPose.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace Ui {
class manwindowClass;
}
class CaptureSensorChooser;
class GetMuch;
class GetSet;
class PlaybackBar;
class QLabel;
class QMainWindow;
class QToolButton;
class SensorsPanel;

// Which sensors the window shows, and saying so. Several sensors may send
// to the data port: the window shows one of them (chosen in the sensors
// list, or kept from an earlier run, or else the first heard) or all of
// them, each placed by its pose; the tools (picking, the data list, the
// range image, the ruler, exports) work on one sensor, which with all shown
// is the one under the first point picked or clicked. A capture of several
// sensors plays the one chosen on the "Offline" tab. The status bar and the
// data list's title say what is shown; the choice and the poses are kept
// in the settings as they change.
class SensorsControl : public QObject {
    Q_OBJECT
public:
    struct Workers {
        GetMuch& live;
        GetSet& status;
        PlaybackBar& playback;
    };
    struct WindowHooks {
        // A CSV export runs: the sensor the tools work on must stay.
        std::function<bool()> exporting;
        // Other frames are shown from now on: the frame on screen, the
        // selection, the list and the view go.
        std::function<void()> forgetShown;
        // A sensor's pose changed while all are shown; the view follows.
        std::function<void(const SensorId&)> poseChanged;
        std::function<void(const AddressBytes&)> chooseDeviceSensor;
        std::function<void(const QString&)> showTips;
        // Live reception was started last (not the player).
        std::function<bool()> liveRunning;
    };

    SensorsControl(QMainWindow& window, Ui::manwindowClass& ui, Workers workers, CloudView& view,
                   const FrameConverter& converter, WindowHooks hooks);
    ~SensorsControl() override;

    // The status-bar label saying what is shown; the window places it.
    QLabel* notice() const { return notice_; }

    // Reception or playback starts.
    void runStarting(bool live);
    // A capture was loaded, or another of its sensors chosen.
    void captureShown();

    // A frame of `sensor` reached the window: whether it is shown.
    bool frameArrived(const SensorId& sensor);
    // Whether `sensor` is the one the tools work on; with all shown the
    // frames of the others go to keepOther().
    bool toolsOn(const SensorId& sensor) const;
    void keepOther(MuchLidarData frame);
    // Draws the other sensors whose frames changed, with `base` (channels,
    // colour mode) and each sensor's own pose and colour.
    void drawOthers(const FrameSettings& base);
    // Removes the other sensors' clouds and frames (Clear).
    void clearOthers();

    // Where a sensor's points stand: placed by its pose while all are
    // shown, in its own coordinates otherwise.
    PoseTransform placement(const SensorId& sensor) const;
    // Its colour in the colour mode "Sensor".
    Rgb colour(const SensorId& sensor) const;

    // Shows one sensor, or all; false, with a "Tips" box, while a CSV
    // export runs.
    bool show(const SensorId& sensor);
    bool showAll();
    // With all shown, the tools move to `sensor`: `frame` (the window's)
    // takes its newest frame. False when they cannot (an export runs, no
    // frame of it is kept) or are there already.
    bool moveTools(const SensorId& sensor, MuchLidarData& frame);

    std::optional<SensorId> shown() const { return choice_.shown(); }
    bool showsAll() const { return choice_.showsAll(); }
    const std::vector<SensorId>& heard() const { return choice_.sensors(); }

    SensorPose pose(const SensorId& sensor) const;
    void setPose(const SensorId& sensor, const SensorPose& pose);

    // With all shown, the sensor whose point an area pick takes first (the
    // one nearest where the drag began) or a click takes; `toolsCloud` is
    // the cloud of the sensor the tools work on now. None while one sensor
    // is shown: the tools stay on it.
    std::optional<SensorId> sensorUnderArea(const FrustumPick& frustum, ViewPoint start,
                                            const CloudView::Cloud& toolsCloud) const;
    std::optional<SensorId> sensorUnderClick(double x, double y, double radius,
                                             const CloudView::Cloud& toolsCloud) const;

    // The settings were forgotten ("Restore defaults"): the first sensor
    // heard, every sensor in its own coordinates.
    void settingsForgotten();

    // Says what is shown, in the status bar and the data list's title.
    void updateNotice();

    SensorsPanel& panel() const { return *panel_; }
    CaptureSensorChooser& captureChooser() const { return *captureChooser_; }
    const OtherSensorsView& others() const { return *others_; }

private:
    // The tools' cloud first, then the others'; and back from an index of
    // that list to its sensor.
    static std::vector<const CloudView::Cloud*>
    cloudsOnScreen(const CloudView::Cloud& toolsCloud,
                   const std::vector<OtherSensorsView::Shown>& others);
    std::optional<SensorId> sensorOfCloud(const std::vector<OtherSensorsView::Shown>& others,
                                          std::optional<std::size_t> cloud) const;
    void keepChoice();
    void chooseCapturePlayed(int index);
    void announceCaptureSensor();
    bool eventFilter(QObject* watched, QEvent* event) override;

    Ui::manwindowClass& ui_;
    Workers workers_;
    CloudView& view_;
    WindowHooks hooks_;
    SensorChoice choice_;
    std::unique_ptr<OtherSensorsView> others_;
    SensorsPanel* panel_;
    QToolButton* panelButton_;
    std::unique_ptr<CaptureSensorChooser> captureChooser_;
    QLabel* notice_;
    QString listTitle_; // the data list's own title
    // The sensors list opens by itself the first time a second sensor is
    // heard; after that it is the user's to open and close.
    bool panelOffered_ = false;
    struct KeptPose {
        std::uint32_t address;
        SensorPose pose;
    };
    mutable std::vector<KeptPose> poses_; // read from the settings once each
};
