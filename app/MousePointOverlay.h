#pragma once

#include <QString>
#include <vtkSmartPointer.h>

class CloudView;
class vtkWorldPointPicker;

// The text in the view that tells the distance and azimuth of the point
// under the mouse: the world point at the interactor's last event position,
// read from the depth of the last rendered image.
class MousePointOverlay {
public:
    explicit MousePointOverlay(CloudView& view);
    ~MousePointOverlay();

    // Picks and updates the text; it shows with the next render.
    void refresh();
    const QString& text() const { return text_; }

private:
    CloudView& view_;
    // A picker of its own, so the interactor keeps the visualizer's.
    vtkSmartPointer<vtkWorldPointPicker> picker_;
    QString text_;
};
