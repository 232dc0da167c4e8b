#pragma once

#include "app/CloudView.h"
#include "app/manwindow.h"

#include <QApplication>
#include <QMouseEvent>
#include <QVTKOpenGLNativeWidget.h>
#include <pcl/visualization/pcl_visualizer.h>
#include <vtkRenderer.h>

// Where a world point shows in the view, in widget coordinates.
inline QPoint onScreen(manwindow& window, double x, double y, double z) {
    vtkRenderer* r = window.cloudView().viewer()->getRendererCollection()->GetFirstRenderer();
    r->SetWorldPoint(x, y, z, 1.0);
    r->WorldToDisplay();
    double d[3];
    r->GetDisplayPoint(d);
    QWidget* screen = window.cloudView().screen();
    const qreal ratio = screen->devicePixelRatioF();
    return QPoint(qRound(d[0] / ratio), screen->height() - qRound(d[1] / ratio));
}

// A left-button drag over the view, as the mouse sends it.
inline void drag(QWidget* screen, QPoint from, QPoint to) {
    const auto send = [screen](QEvent::Type type, QPoint p, Qt::MouseButton button,
                               Qt::MouseButtons buttons) {
        QMouseEvent e(type, p, screen->mapToGlobal(p), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(screen, &e);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

// Drags a rectangle around the given world points, `margin` pixels wider
// on every side.
template <class Points>
void dragAround(manwindow& window, const Points& points, int margin = 6) {
    QRect r;
    for (const auto& p : points) {
        const QPoint s = onScreen(window, p.x, p.y, p.z);
        r = r.isNull() ? QRect(s, s) : r.united(QRect(s, s));
    }
    r.adjust(-margin, -margin, margin, margin);
    drag(window.cloudView().screen(), r.topLeft(), r.bottomRight());
}
