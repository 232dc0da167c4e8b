#include "app/MousePointOverlay.h"

#include "app/CloudView.h"
#include "lidar/PointAnnotation.h"

#include <QVTKOpenGLNativeWidget.h>
#include <pcl/visualization/pcl_visualizer.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>
#include <vtkWorldPointPicker.h>

MousePointOverlay::MousePointOverlay(CloudView& view)
    : view_(view), picker_(vtkSmartPointer<vtkWorldPointPicker>::New()) {}

MousePointOverlay::~MousePointOverlay() = default;

void MousePointOverlay::refresh() {
    const int* position = view_.screen()->interactor()->GetEventPosition();
    vtkRenderer* renderer = view_.viewer()->getRendererCollection()->GetFirstRenderer();
    picker_->Pick(position[0], position[1], 0, renderer);
    double world[3];
    picker_->GetPickPosition(world);
    text_ = PointAnnotation::text(world[0], world[1], world[2]);
    view_.showPointText(text_.toStdString());
}
