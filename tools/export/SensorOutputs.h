#pragma once

#include "lidar/SensorId.h"
#include "tools/export/ExportOptions.h"
#include "tools/export/FrameOutput.h"
#include "tools/export/McapOutput.h"

#include <functional>
#include <memory>
#include <vector>

// The outputs of an export, one per sensor: each frame goes to the output
// of the sensor it names. With one sensor (or --source) there is one output
// under the name given, exactly as if no other sensor existed. With several,
// each sensor's output carries it in its name: OUTPUT_ADDR.csv,
// OUTPUT_ADDR_000001.pcd, and in one MCAP file a topic per sensor
// (/lidar_ADDR/points, frame_id lidar_ADDR, dots as underscores: ROS names
// take none). An address that two sensors share gets the port too.
//
// An output opens at its sensor's first frame written. Whether names carry
// the sensor is settled then, by the sensors heard so far; a sensor first
// heard later still gets an output, named after it. Every sensor heard is
// expected to give the wanted frames.
class SensorOutputs : public FrameOutput {
public:
    // The sensors heard so far, first heard first.
    using Heard = std::function<std::vector<SensorId>()>;

    explicit SensorOutputs(const ExportOptions& options);
    ~SensorOutputs() override;

    void setHeard(Heard heard) { heard_ = std::move(heard); }

    // Whether frames of `sensor` are exported: every sensor's, or with
    // --source the first sensor heard that it names.
    bool wants(const SensorId& sensor);

    // Only checks that OUTPUT can be written: files are made per sensor.
    bool open(const QString& output) override;
    bool writeFrame(const MuchLidarData& frame, std::int64_t time) override;
    // Opens the outputs of the sensors heard that have none yet, so that a
    // sensor without a whole frame still gets its (empty) output.
    bool openHeard();
    // Closes every output. One that got no frame leaves no file (in the
    // shared MCAP file its topic stays, without messages).
    bool close() override;
    // As close(), but files short of their frames keep their part names.
    bool keep() override;
    // Nothing of any output stays.
    void discard() override;

    // Every sensor heard (and wanted) has its frames.
    bool complete() const override;
    int framesWritten() const override;
    int framesWanted() const override;
    std::uint64_t pointsWritten() const override;
    QString writtenTo() const override;
    // The whole line: "cannot write FILE: reason", or why the sensors
    // cannot be written as asked.
    QString error() const override { return error_; }

    // The sensors with an output, in the order their outputs opened.
    int outputCount() const { return static_cast<int>(outputs_.size()); }
    const SensorId& sensorOf(int output) const { return outputs_[index(output)].sensor; }
    const FrameOutput& output(int output) const { return *outputs_[index(output)].output; }
    // The output names carry the sensor (several sensors, no --source).
    bool namedBySensor() const { return namedBySensor_; }
    // For the closing line when the output names a sensor: "6 frames, 1000
    // points, of 10.0.0.2 to out_10.0.0.2.csv; 12 frames, ...".
    QString summary() const;
    // Why nothing was exported when --source names no sensor heard; empty
    // otherwise.
    QString missingSource() const;

    // "10_0_0_2" for ROS names, "10.0.0.2" for file names.
    static QString fileTag(const SensorId& sensor, const std::vector<SensorId>& heard);
    static QString rosTag(const QString& fileTag);
    // OUTPUT with the tag: before the format's suffix when it has it.
    static QString taggedOutput(const QString& output, const QString& suffix, const QString& tag);

private:
    struct Output {
        SensorId sensor;
        std::unique_ptr<FrameOutput> output;
    };
    static std::size_t index(int output) { return static_cast<std::size_t>(output); }
    // Ends every output with `end`; outputs without a frame are discarded.
    bool endOutputs(bool (FrameOutput::*end)());
    std::vector<SensorId> wantedHeard() const;
    FrameOutput* outputOf(const SensorId& sensor);
    FrameOutput* openFor(const SensorId& sensor);
    // The output of a sensor whose names carry `tag` (none: the names given).
    std::unique_ptr<FrameOutput> create(const QString& tag, QString& name) const;
    bool fail(const QString& text);

    const ExportOptions& options_;
    Heard heard_;
    std::optional<SensorId> source_; // the sensor --source settled on
    bool settled_ = false;
    bool namedBySensor_ = false;
    std::vector<Output> outputs_;
    // The file every sensor's MCAP output writes into.
    std::shared_ptr<McapOutput::File> mcapFile_;
    QString error_;
};
