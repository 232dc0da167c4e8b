#pragma once

#include "device/DeviceReport.h"
#include "lidar/PointColour.h"
#include "lidar/SensorPose.h"
#include "lidar/SensorStatistics.h"

#include <QDockWidget>
#include <QTimer>
#include <functional>
#include <optional>
#include <vector>

class QButtonGroup;
class QTableWidget;

// The sensors list dock: a row for all sensors together, then a row for
// each sensor heard on the data port with its address, its MAC once its
// device packets are heard, its packets and frames per second, its points
// per frame, and its pose, which the user types into the row. Choosing a
// row shows that sensor (or all); the row of what is shown stays chosen.
// The figures follow every second.
class SensorsPanel : public QDockWidget {
    Q_OBJECT
public:
    enum Column {
        SensorColumn,
        MacColumn,
        PacketsColumn,
        FramesColumn,
        PointsColumn,
        FirstPoseColumn, // x, y, z, roll, pitch, yaw
        ColumnCount = FirstPoseColumn + SensorPose::kFields
    };
    static constexpr int kRefreshMs = 1000;

    struct Sources {
        // The live receiver's counts of each sensor, first heard first.
        std::function<std::vector<SensorCounts>()> counts;
        // The latest device report of each sensor heard on the equipment port.
        std::function<std::vector<DeviceReport>()> reports;
        std::function<SensorPose(const SensorId&)> poseOf;
        // Its colour in the colour mode "Sensor", when it has one yet.
        std::function<std::optional<Rgb>(const SensorId&)> colourOf;
    };

    explicit SensorsPanel(Sources sources, QWidget* parent = nullptr);

    // Samples the counts and shows them (the timer does so every second).
    void refresh();
    // Reception starts again: figures from nothing.
    void restart();
    // Each row's pose as poseOf gives it now.
    void showPoses();
    // The row of what is shown: all sensors, or one.
    void showChoice(bool all, const std::optional<SensorId>& shown);

    QTableWidget& table() const { return *table_; }
    // The sensor of a row; nothing for the row of all sensors.
    std::optional<SensorId> sensorOfRow(int row) const;
    int rowOf(const SensorId& sensor) const;

signals:
    void sensorChosen(const SensorId& sensor);
    void allChosen();
    void poseEdited(const SensorId& sensor, const SensorPose& pose);
    // A typed value that cannot be a pose field: what it must be.
    void poseRefused(const QString& text);

private:
    void addRow(const SensorFigures& figures);
    void showFigures(const std::vector<SensorFigures>& figures);
    void showPose(int row, const SensorPose& pose);
    void rowChosen(int row);
    void cellEdited(int row, int column);
    void showShownRow();

    Sources sources_;
    QTableWidget* table_;
    QButtonGroup* group_;
    SensorStatistics statistics_;
    std::vector<SensorId> rows_; // the sensor of row i + 1
    bool updating_ = false;      // cells change from here, not from the user
    bool all_ = false;
    std::optional<SensorId> shown_;
    QTimer timer_;
};
