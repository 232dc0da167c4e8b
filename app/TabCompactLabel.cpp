#include "app/TabCompactLabel.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <QTextOption>
#include <cmath>

TabCompactLabel::TabCompactLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

QSize TabCompactLabel::sizeHint() const {
    const QMargins m = contentsMargins();
    return QSize(static_cast<int>(std::ceil(textWidth())) + 2 * margin() + m.left() + m.right(),
                 fontMetrics().height() + 2 * margin() + m.top() + m.bottom());
}

QSize TabCompactLabel::minimumSizeHint() const {
    return sizeHint();
}

void TabCompactLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QTextOption option(Qt::AlignLeft | Qt::AlignVCenter);
    option.setTabStopDistance(tabStop());
    option.setWrapMode(QTextOption::NoWrap);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(QRectF(contentsRect().adjusted(margin(), margin(), -margin(), -margin())),
                     text(), option);
}

qreal TabCompactLabel::textWidth() const {
    QTextLayout layout(text(), font());
    QTextOption option;
    option.setTabStopDistance(tabStop());
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    qreal width = 0;
    if (line.isValid()) {
        line.setLineWidth(1e6);
        width = line.naturalTextWidth();
    }
    layout.endLayout();
    return width;
}

qreal TabCompactLabel::tabStop() const {
    return QFontMetricsF(font()).horizontalAdvance(QLatin1Char(' '));
}
