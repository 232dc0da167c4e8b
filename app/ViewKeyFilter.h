#pragma once

#include <QObject>

class QKeyEvent;
class QWidget;

// Keeps the visualizer's own key bindings out of the 3D view: of its keys
// only r (fit the frame) and + / - (point size) reach it. The rest of its
// bindings (a colour bar, camera dumps to the terminal, wireframe, stereo,
// screenshots into the working folder, ...) are not the program's. Keys the
// program gives the view itself (x, m, Esc) are taken by filters installed
// after this one, which see them first; Tab still moves the focus.
class ViewKeyFilter : public QObject {
    Q_OBJECT
public:
    explicit ViewKeyFilter(QWidget& view);

    // Whether the visualizer may see this key.
    static bool reachesVisualizer(const QKeyEvent& key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
