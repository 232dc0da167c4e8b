#include "app/RangeImagePanel.h"

#include "app/CloudView.h"
#include "app/FormText.h"
#include "app/RangeImageWidget.h"
#include "app/ViewSaving.h"

#include <QAction>
#include <QImageWriter>
#include <QStatusBar>
#include <pcl/visualization/pcl_visualizer.h>

namespace {

constexpr int kMarkSize = 12;

} // namespace

RangeImagePanel::RangeImagePanel(const ChannelGeometry& geometry, CloudView& view,
                                 QStatusBar& statusBar, Sources sources,
                                 std::function<void(const QString&)> showTips, QWidget* parent)
    : QDockWidget(trForm("Range image"), parent), geometry_(geometry), view_(view),
      statusBar_(statusBar), sources_(std::move(sources)), showTips_(std::move(showTips)),
      image_(geometry), widget_(new RangeImageWidget(this)) {
    setObjectName(QStringLiteral("RangeImageDock"));
    widget_->setObjectName(QStringLiteral("widget_RangeImage"));
    setWidget(widget_);
    picture_ = QImage(reinterpret_cast<const uchar*>(image_.pixels().data()), image_.columns(),
                      image_.rows(), QImage::Format_RGB32);
    widget_->setImage(picture_);

    auto* save = new QAction(trForm("Save as PNG..."), widget_);
    save->setObjectName(QStringLiteral("action_SaveRangeImage"));
    connect(save, &QAction::triggered, this, &RangeImagePanel::saveAs);
    widget_->addAction(save);
    widget_->setContextMenuPolicy(Qt::ActionsContextMenu);

    connect(widget_, &RangeImageWidget::pixelHovered, this,
            [this](int column, int row) { statusBar_.showMessage(describePixel(column, row)); });
    connect(widget_, &RangeImageWidget::left, &statusBar_, &QStatusBar::clearMessage);
    connect(widget_, &RangeImageWidget::pixelClicked, this,
            [this](int column, int row) { markPixel(column, row); });
    // Opened on a frozen or paused frame, the panel shows it at once.
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible) {
            frameDrawn();
        }
    });
}

RangeImagePanel::~RangeImagePanel() = default;

void RangeImagePanel::frameDrawn() {
    if (isVisible()) {
        draw(sources_.frame());
    }
}

void RangeImagePanel::clear() {
    static const MuchLidarData noFrame;
    draw(noFrame);
}

void RangeImagePanel::draw(const MuchLidarData& frame) {
    image_.build(frame, sources_.channels(), sources_.colourMode(),
                 sources_.sensorColour ? sources_.sensorColour() : Rgb{});
    framed_ = !frame.empty();
    // The picture shows the image's own pixels; no copy.
    picture_ = QImage(reinterpret_cast<const uchar*>(image_.pixels().data()), image_.columns(),
                      image_.rows(), QImage::Format_RGB32);
    widget_->setImage(picture_);
}

std::optional<std::size_t> RangeImagePanel::pointOfPixel(int column, int row) const {
    const int index = image_.pointAt(column, row);
    const MuchLidarData& frame = sources_.frame();
    if (index < 0 || static_cast<std::size_t>(index) >= frame.size()) {
        return std::nullopt;
    }
    const auto i = static_cast<std::size_t>(index);
    if (frame.laserIds[i] != image_.channelOfRow(row) ||
        image_.columnOfAzimuth(frame.azimuths[i]) != column) {
        return std::nullopt;
    }
    return i;
}

QString RangeImagePanel::describePixel(int column, int row) const {
    const int channel = image_.channelOfRow(row);
    const ChannelSelection* channels = sources_.channels();
    if (channels && !channels->shows(channel)) {
        return trForm("Channel %1: hidden").arg(channel);
    }
    const std::optional<std::size_t> i = pointOfPixel(column, row);
    if (!i) {
        return trForm("Channel %1   Azimuth %2°   no return")
            .arg(channel)
            .arg(image_.azimuthOfColumn(column), 0, 'f', 2);
    }
    const MuchLidarData& frame = sources_.frame();
    return trForm("Channel %1   Azimuth %2°   Distance %3 m   Intensity %4")
        .arg(channel)
        .arg(static_cast<double>(frame.azimuths[*i]), 0, 'f', 2)
        .arg(frame.distances[*i] / 100.0, 0, 'f', 3)
        .arg(frame.intensities[*i]);
}

bool RangeImagePanel::markPixel(int column, int row) {
    const std::optional<std::size_t> i = pointOfPixel(column, row);
    if (!i) {
        return false;
    }
    const MuchLidarData& frame = sources_.frame();
    PointXyz p = geometry_.point(frame.laserIds[*i], frame.azimuths[*i], frame.distances[*i]);
    if (sources_.placement) {
        p = sources_.placement().apply(p);
    }
    CloudView::Cloud::Ptr mark(new CloudView::Cloud);
    pcl::PointXYZRGB point;
    point.x = p.x;
    point.y = p.y;
    point.z = p.z;
    point.r = 255;
    point.g = 0;
    point.b = 255;
    mark->push_back(point);
    view_.showCloud(mark, kMarkCloudId);
    view_.viewer()->setPointCloudRenderingProperties(pcl::visualization::PCL_VISUALIZER_POINT_SIZE,
                                                     kMarkSize, kMarkCloudId);
    view_.render();
    return true;
}

void RangeImagePanel::saveAs() {
    if (!framed_) {
        showTips_(trForm("The range image shows no frame yet; nothing was saved."));
        return;
    }
    const QString path = ViewSaving::choosePngPath(this, trForm("Save range image"));
    if (!path.isEmpty()) {
        saveTo(path);
    }
}

bool RangeImagePanel::saveTo(const QString& path) {
    QImageWriter writer(path, "png");
    if (!writer.write(picture_)) {
        showTips_(trForm("The range image could not be written.\n%1: %2")
                      .arg(path, writer.errorString()));
        return false;
    }
    return true;
}
