#include "app/ViewSaving.h"

#include "app/CloudView.h"
#include "app/FormText.h"
#include "app/ViewImage.h"
#include "app/ViewerCommandLine.h"
#include "lidar/CsvFileNames.h"
#include "platform/LastFolders.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageWriter>
#include <QVTKOpenGLNativeWidget.h>
#include <vtkRenderWindow.h>

namespace {

QString pcdFilter() {
    return trForm("PCD point cloud (*.pcd)");
}

QString plyFilter() {
    return trForm("PLY point cloud (*.ply)");
}

QString lasFilter() {
    return trForm("LAS point cloud (*.las)");
}

} // namespace

ViewSaving::ViewSaving(CloudView& view, const ChannelGeometry& geometry, QWidget* window,
                       std::function<void(const QString&)> showTips,
                       std::function<void(const QString&)> showDone)
    : view_(view), geometry_(geometry), window_(window), showTips_(std::move(showTips)),
      showDone_(std::move(showDone)) {}

void ViewSaving::saveImage() {
    const QString path = choosePngPath(window_, trForm("Save image"));
    if (!path.isEmpty()) {
        saveImageTo(path);
    }
}

QString ViewSaving::choosePngPath(QWidget* parent, const QString& caption) {
    const QString proposed = CsvFileNames::stamped(QDateTime::currentDateTime(), "png");
    QString path = QFileDialog::getSaveFileName(
        parent, caption, LastFolders::proposedPath(LastFolders::Dialog::SaveImage, proposed),
        trForm("PNG image (*.png)"), nullptr, QFileDialog::DontUseNativeDialog);
    if (path.isEmpty()) {
        return path;
    }
    LastFolders::remember(LastFolders::Dialog::SaveImage, path);
    if (QFileInfo(path).suffix().compare(QLatin1String("png"), Qt::CaseInsensitive) != 0) {
        path += QStringLiteral(".png");
    }
    return path;
}

bool ViewSaving::saveImageTo(const QString& path) {
    const QImage image = ViewImage::render(*view_.screen()->renderWindow());
    if (image.isNull()) {
        showTips_(trForm("The view could not be rendered into an image."));
        return false;
    }
    QImageWriter writer(path, "png");
    if (!writer.write(image)) {
        showTips_(
            trForm("The image could not be written.\n%1: %2").arg(path, writer.errorString()));
        return false;
    }
    showDone_(trForm("%1: %2 x %3 image written")
                  .arg(QFileInfo(path).fileName())
                  .arg(image.width())
                  .arg(image.height()));
    return true;
}

std::optional<FramePointCloud> ViewSaving::pointsToSave(const MuchLidarData& frame,
                                                        const std::optional<SelectionBox>& box,
                                                        const PoseTransform& pose) {
    if (frame.empty()) {
        showTips_(trForm("There is no frame on screen to save."));
        return std::nullopt;
    }
    CsvExportFilter filter;
    filter.box = box;
    filter.pose = pose;
    FramePointCloud points = FrameCloudFile::pointsOf(frame, geometry_, filter);
    if (points.empty()) {
        showTips_(box ? trForm("No point of the frame on screen lies in the selection box; "
                               "nothing was saved.")
                      : trForm("The frame on screen has no points to save."));
        return std::nullopt;
    }
    return points;
}

void ViewSaving::saveFrame(const MuchLidarData& frame, const std::optional<SelectionBox>& box,
                           const PoseTransform& pose) {
    const std::optional<FramePointCloud> points = pointsToSave(frame, box, pose);
    if (!points) {
        return;
    }
    const QString proposed = CsvFileNames::stamped(QDateTime::currentDateTime(), "pcd");
    QString filter;
    QString path = QFileDialog::getSaveFileName(
        window_, trForm("Save frame as"),
        LastFolders::proposedPath(LastFolders::Dialog::SaveFrame, proposed),
        QStringList{pcdFilter(), plyFilter(), lasFilter()}.join(QStringLiteral(";;")), &filter,
        QFileDialog::DontUseNativeDialog);
    if (path.isEmpty()) {
        return;
    }
    LastFolders::remember(LastFolders::Dialog::SaveFrame, path);
    if (!FrameCloudFile::formatOf(path)) {
        path += filter == plyFilter()   ? QStringLiteral(".ply")
                : filter == lasFilter() ? QStringLiteral(".las")
                                        : QStringLiteral(".pcd");
    }
    write(*points, path);
}

bool ViewSaving::write(const FramePointCloud& points, const QString& path) {
    const std::optional<FrameCloudFile::Format> format = FrameCloudFile::formatOf(path);
    if (!format) {
        showTips_(trForm("Frames are saved as .pcd, .ply or .las files, not as %1.").arg(path));
        return false;
    }
    const QString error =
        FrameCloudFile::write(points, path, *format, ViewerCommandLine::programAndVersion());
    if (!error.isEmpty()) {
        showTips_(trForm("The frame could not be saved.\n%1").arg(error));
        return false;
    }
    showDone_(trForm("%1: 1 frame, %2 points written")
                  .arg(QFileInfo(path).fileName())
                  .arg(points.size()));
    return true;
}
