#pragma once

#include <QImage>
#include <QWidget>

// Shows a range image stretched over the widget, one block per pixel (no
// smoothing), and tells which of its pixels the mouse is over or clicked.
class RangeImageWidget : public QWidget {
    Q_OBJECT
public:
    explicit RangeImageWidget(QWidget* parent = nullptr);

    // The image must stay valid until the next call.
    void setImage(const QImage& image);
    const QImage& image() const { return image_; }

    // The image pixel under a widget position (clamped to the image).
    QPoint pixelAt(QPoint position) const;

signals:
    void pixelHovered(int column, int row);
    void pixelClicked(int column, int row);
    void left();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QImage image_;
};
