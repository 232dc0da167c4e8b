#include "app/CsvExport.h"

#include "app/FormText.h"
#include "lidar/CsvFileNames.h"
#include "platform/LastFolders.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>

namespace {

CsvExportFilter placed(CsvExportFilter filter, const std::optional<SelectionBox>& box,
                       const PoseTransform& pose) {
    filter.box = box;
    filter.pose = pose;
    return filter;
}

} // namespace

CsvExport::CsvExport(const ChannelGeometry& geometry, QWidget* window,
                     std::function<void(const QString&)> showTips)
    : geometry_(geometry), window_(window), showTips_(std::move(showTips)) {}

CsvExport::~CsvExport() {
    finish();
}

bool CsvExport::refuseWhileExporting() {
    if (!active_) {
        return false;
    }
    showTips_(trForm("A CSV export is running: %1 of %2 frames written so far. Save again once "
                     "it has finished.")
                  .arg(writer_->framesQueued())
                  .arg(writer_->framesWanted()));
    return true;
}

QString CsvExport::chooseFile(const QString& proposedName) {
    const QString path = QFileDialog::getSaveFileName(
        window_, trForm("Save CSV"),
        LastFolders::proposedPath(LastFolders::Dialog::SaveCsv, proposedName), QString(), nullptr,
        QFileDialog::DontUseNativeDialog);
    LastFolders::remember(LastFolders::Dialog::SaveCsv, path);
    return path;
}

void CsvExport::saveFrame(const MuchLidarData& frame, const std::optional<SelectionBox>& box,
                          const PoseTransform& pose) {
    if (refuseWhileExporting()) {
        return;
    }
    const QString path = chooseFile(CsvFileNames::singleFrame(QDateTime::currentDateTime()));
    if (path.isEmpty()) {
        return;
    }
    CsvExportWriter writer(geometry_, CsvRowWriter::Layout::SingleFrame, 1);
    if (writer.open(path)) {
        writer.write(std::make_shared<const MuchLidarData>(frame), placed({}, box, pose));
    }
    if (!writer.finish()) {
        showTips_(trForm("The CSV file could not be written.\n%1").arg(writer.error()));
        return;
    }
    announceDone(writer);
}

bool CsvExport::canStart(const ExportSettings& settings) {
    if (refuseWhileExporting()) {
        return false;
    }
    // An export ends when it has written its count of frames.
    if (settings.frameCount < 1) {
        showTips_(trForm("An export needs a frame count of at least 1."));
        return false;
    }
    return true;
}

void CsvExport::start(const ExportSettings& settings) {
    if (!canStart(settings)) {
        return;
    }
    const QString path =
        chooseFile(CsvFileNames::multiFrame(QDateTime::currentDateTime(), settings.frameCount));
    if (!path.isEmpty()) {
        startTo(path, settings);
    }
}

bool CsvExport::startTo(const QString& path, const ExportSettings& settings) {
    if (refuseWhileExporting()) {
        return false;
    }
    // The previous export's writer may still be writing its last frames.
    writer_.reset();
    auto writer = std::make_unique<CsvExportWriter>(geometry_, CsvRowWriter::Layout::MultiFrame,
                                                    settings.frameCount);
    if (!writer->open(path)) {
        showTips_(trForm("The CSV file could not be opened.\n%1").arg(writer->error()));
        return false;
    }
    connect(writer.get(), &CsvExportWriter::SendError, this, &CsvExport::onWriteError);
    // The writer's thread ends once the last frame is in the file (or on an
    // error, which SendError reports).
    connect(writer.get(), &QThread::finished, this,
            [this, done = QPointer<CsvExportWriter>(writer.get())] {
                if (done && done == writer_.get() && !done->failed()) {
                    announceDone(*done);
                }
            });
    writer_ = std::move(writer);
    filter_ = settings.filter();
    active_ = true;
    endedEarly_.clear();
    return true;
}

void CsvExport::exportFrame(const MuchLidarData& frame, const std::optional<SelectionBox>& box,
                            const PoseTransform& pose) {
    if (!active_) {
        return;
    }
    writer_->write(std::make_shared<const MuchLidarData>(frame), placed(filter_, box, pose));
    if (writer_->complete()) {
        active_ = false;
        writer_->closeWhenWritten();
    }
}

void CsvExport::endEarly(const QString& reason) {
    if (!active_) {
        return;
    }
    active_ = false;
    endedEarly_ = reason;
    writer_->closeWhenWritten();
}

void CsvExport::finish() {
    active_ = false;
    if (writer_) {
        writer_->finish();
    }
}

void CsvExport::announceDone(const CsvExportWriter& writer) {
    const QString name = QFileInfo(writer.path()).fileName();
    const QString rows = QString::number(writer.rowsWritten());
    const int frames = writer.framesWritten();
    if (!endedEarly_.isEmpty()) {
        emit SendDone(trForm("%1: %2 of %3 frames written: %4")
                          .arg(name, QString::number(frames),
                               QString::number(writer.framesWanted()), endedEarly_));
        return;
    }
    emit SendDone(
        frames == 1
            ? trForm("%1: 1 frame, %2 rows written").arg(name, rows)
            : trForm("%1: %2 frames, %3 rows written").arg(name, QString::number(frames), rows));
}

void CsvExport::onWriteError(const QString& message) {
    const int written = writer_ ? writer_->framesWritten() : 0;
    active_ = false;
    showTips_(trForm("The CSV export stopped: the file could not be written after %1 frames.\n%2")
                  .arg(written)
                  .arg(message));
}
