#pragma once

#include "lidar/ChannelGeometry.h"
#include "lidar/CsvExportFilter.h"
#include "lidar/CsvExportWriter.h"
#include "lidar/ExportSettings.h"
#include "lidar/MuchLidarData.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

// The window's CSV exports. A single-frame save writes the frame on screen
// at once; a multi-frame export writes the next frames that arrive, each
// handed over by the window's per-frame bookkeeping, until the count of the
// export settings is reached. Files are chosen in the "Save CSV" dialog
// under a proposed name with the local date and time, and written by a
// CsvExportWriter under NAME.part until they are whole. Failures (opening,
// writing) and refusals (a second export while one runs) go to "Tips" boxes;
// a file written whole is announced with SendDone, and so is an export that
// its source ended before it had every frame.
class CsvExport : public QObject {
    Q_OBJECT
public:
    CsvExport(const ChannelGeometry& geometry, QWidget* window,
              std::function<void(const QString&)> showTips);
    // Writes every frame handed over so far and closes the file.
    ~CsvExport() override;

    // A multi-frame export runs (exportActive).
    bool active() const { return active_; }
    // Frames handed over by the running or last export (exportedFrames).
    int exportedFrames() const { return writer_ ? writer_->framesQueued() : 0; }
    // Frames of the running or last export that are in its file.
    int framesWritten() const { return writer_ ? writer_->framesWritten() : 0; }

    // While a multi-frame export runs: says so in a "Tips" box and returns
    // true.
    bool refuseWhileExporting();

    // Every point of `frame` with a distance of 0 or more, inside `box`
    // when one is given; `pose` places the points (see CsvExportFilter).
    void saveFrame(const MuchLidarData& frame, const std::optional<SelectionBox>& box,
                   const PoseTransform& pose = {});
    // Asks for the file and starts writing the next frames.
    void start(const ExportSettings& settings);
    // The same into a file already chosen; false (and a "Tips" box) when it
    // cannot be opened.
    bool startTo(const QString& path, const ExportSettings& settings);
    // One arriving frame of the running export.
    void exportFrame(const MuchLidarData& frame, const std::optional<SelectionBox>& box,
                     const PoseTransform& pose = {});
    // No frame will come (the capture ended, the receiver stopped): a
    // running export writes what was handed over, gives the file its name
    // and says "K of N frames written: " and `reason`.
    void endEarly(const QString& reason);
    // Writes what was handed over and closes the file (the window closes);
    // an export short of its frames stays NAME.part.
    void finish();

    // The "Save CSV" dialog: the chosen path, or empty when cancelled.
    QString chooseFile(const QString& proposedName);

signals:
    // A file is complete: its name, frames and rows, for the status bar.
    void SendDone(QString text);

private slots:
    void onWriteError(const QString& message);

private:
    // Refuses (with a "Tips" box) while an export runs, or for a count below 1.
    bool canStart(const ExportSettings& settings);
    void announceDone(const CsvExportWriter& writer);

    const ChannelGeometry& geometry_;
    QWidget* window_;
    std::function<void(const QString&)> showTips_;

    std::unique_ptr<CsvExportWriter> writer_;
    CsvExportFilter filter_;
    bool active_ = false;
    QString endedEarly_; // why the running writer's export ended short
};
