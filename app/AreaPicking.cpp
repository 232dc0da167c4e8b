#include "app/AreaPicking.h"

#include "app/CloudView.h"

#include <QVTKOpenGLNativeWidget.h>
#include <algorithm>
#include <pcl/visualization/pcl_visualizer.h>
#include <vtkAreaPicker.h>
#include <vtkCommand.h>
#include <vtkRenderWindowInteractor.h>

AreaPicking::AreaPicking(CloudView& view, const FrameConverter& converter, QWidget& window,
                         WindowHooks hooks)
    : view_(view), converter_(converter), window_(window), hooks_(std::move(hooks)) {
    callback_ = view_.viewer()->registerAreaPickingCallback(
        [this](const pcl::visualization::AreaPickingEvent& event) { onAreaPicked(event); });
}

AreaPicking::~AreaPicking() {
    callback_.disconnect();
}

void AreaPicking::toggleArming() {
    box_ = SelectionBox{};
    selectionActive_ = false;
    annotationEnabled_ = false;
    view_.screen()->setFocus();
    pressSelectionKey();
    showArmed(armed());
}

bool AreaPicking::armed() const {
    // The visualizer swaps in an area picker while its rubber band is armed.
    return vtkAreaPicker::SafeDownCast(view_.screen()->interactor()->GetPicker()) != nullptr;
}

void AreaPicking::clear() {
    box_ = SelectionBox{};
    selectionActive_ = false;
    selectedCount_ = 0;
}

void AreaPicking::pressSelectionKey() {
    // The visualizer's own key binding toggles its rubber band.
    vtkRenderWindowInteractor* interactor = view_.screen()->interactor();
    interactor->SetKeyEventInformation(0, 0, 'x', 1, "x");
    interactor->InvokeEvent(vtkCommand::KeyPressEvent);
    interactor->InvokeEvent(vtkCommand::CharEvent);
    interactor->InvokeEvent(vtkCommand::KeyReleaseEvent);
}

void AreaPicking::showArmed(bool armed) {
    const Qt::CursorShape shape = armed ? Qt::CrossCursor : Qt::ArrowCursor;
    window_.setCursor(shape);
    view_.screen()->setCursor(shape);
}

void AreaPicking::onAreaPicked(const pcl::visualization::AreaPickingEvent& event) {
    // Only the frame's own cloud counts; indices of the highlighted cloud
    // would point at other points.
    const pcl::Indices indices = event.getPointsIndices(CloudView::kFrameCloudId);
    const FrameConversion::Cloud& shown = hooks_.shownCloud();
    FrameConversion::Cloud picked;
    picked.reserve(indices.size());
    for (const pcl::index_t i : indices) {
        if (i >= 0 && static_cast<std::size_t>(i) < shown.size()) {
            picked.push_back(shown[static_cast<std::size_t>(i)]);
        }
    }
    if (picked.empty()) {
        // Nothing changes; the rubber band stays armed.
        return;
    }
    selectedCount_ = static_cast<int>(picked.size());
    view_.drawSelection(picked);

    const auto& first = picked.points.front();
    box_ = SelectionBox{first.x, first.x, first.y, first.y, first.z, first.z};
    for (const auto& p : picked.points) {
        box_.xMin = std::min(box_.xMin, p.x);
        box_.xMax = std::max(box_.xMax, p.x);
        box_.yMin = std::min(box_.yMin, p.y);
        box_.yMax = std::max(box_.yMax, p.y);
        box_.zMin = std::min(box_.zMin, p.z);
        box_.zMax = std::max(box_.zMax, p.z);
    }

    // Disarmed once the visualizer has finished with this pick: its area
    // picker is still at work while this runs, and disarming replaces it.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (armed()) {
                pressSelectionKey();
            }
        },
        Qt::QueuedConnection);
    showArmed(false);
    selectionActive_ = true;
    annotationEnabled_ = true;
    hooks_.showListing(
        converter_.listSelection(hooks_.lastFrame(), hooks_.channels(), box_, selectedCount_));
}
