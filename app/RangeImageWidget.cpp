#include "app/RangeImageWidget.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

RangeImageWidget::RangeImageWidget(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(360, 128);
}

void RangeImageWidget::setImage(const QImage& image) {
    image_ = image;
    update();
}

QPoint RangeImageWidget::pixelAt(QPoint position) const {
    if (image_.isNull() || width() <= 0 || height() <= 0) {
        return {};
    }
    const int column = position.x() * image_.width() / width();
    const int row = position.y() * image_.height() / height();
    return {std::clamp(column, 0, image_.width() - 1), std::clamp(row, 0, image_.height() - 1)};
}

void RangeImageWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (image_.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    // Each bin a sharp block, whatever the stretch.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(rect(), image_);
}

void RangeImageWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!image_.isNull()) {
        const QPoint p = pixelAt(event->pos());
        emit pixelHovered(p.x(), p.y());
    }
    QWidget::mouseMoveEvent(event);
}

void RangeImageWidget::mousePressEvent(QMouseEvent* event) {
    if (!image_.isNull() && event->button() == Qt::LeftButton) {
        const QPoint p = pixelAt(event->pos());
        emit pixelClicked(p.x(), p.y());
    }
    QWidget::mousePressEvent(event);
}

void RangeImageWidget::leaveEvent(QEvent* event) {
    emit left();
    QWidget::leaveEvent(event);
}
