#pragma once

#include <QLabel>

// A one-line label whose tab characters advance to the next stop of a
// narrow grid (one blank wide) instead of eight characters: the status-bar
// statistics carry runs of tabs that would otherwise take half the screen.
// The text itself stays as it was set.
class TabCompactLabel : public QLabel {
public:
    explicit TabCompactLabel(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal textWidth() const;
    qreal tabStop() const;
};
