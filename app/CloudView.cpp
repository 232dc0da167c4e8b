#include "app/CloudView.h"

#include <QVTKOpenGLNativeWidget.h>
#include <algorithm>
#include <cmath>
#include <pcl/visualization/pcl_visualizer.h>
#include <string>
#include <vtkAxesActor.h>
#include <vtkGenericOpenGLRenderWindow.h>
#include <vtkOrientationMarkerWidget.h>
#include <vtkRenderer.h>

namespace {

// The grid is drawn with pi taken as 3.14159, as everywhere in the sensor's
// geometry.
constexpr double kDegree = 3.14159 / 180;
constexpr double kGridGrey = 150; // as passed to the visualizer (nominally 0..1)
constexpr double kGridOpacity = 0.2;

struct CameraPreset {
    double position[3];
    double focal[3];
    double up[3];
};

constexpr CameraPreset kPresets[3] = {
    {{0, -1, 0}, {0, 0.2, -0.2}, {0, 0, 1}}, // Front
    {{0, 0, 1}, {0, 0, 0}, {0, 1, 0}},       // Top
    {{-1, 0, 0}, {0, 0, -0.2}, {0, 0, 1}},   // Left
};

} // namespace

CloudView::CloudView(QVTKOpenGLNativeWidget* screen) : screen_(screen) {
    // The visualizer renders into the widget's window and uses the widget's
    // interactor; it never creates its own.
    auto renderer = vtkSmartPointer<vtkRenderer>::New();
    auto window = vtkSmartPointer<vtkGenericOpenGLRenderWindow>::New();
    window->AddRenderer(renderer);
    viewer_ =
        std::make_shared<pcl::visualization::PCLVisualizer>(renderer, window, "viewer", false);
    screen_->setRenderWindow(viewer_->getRenderWindow());
    viewer_->setupInteractor(screen_->interactor(), screen_->renderWindow());

    viewer_->registerKeyboardCallback(
        [this](const pcl::visualization::KeyboardEvent& event) { onKey(event); });

    auto axes = vtkSmartPointer<vtkAxesActor>::New();
    axesWidget_ = vtkSmartPointer<vtkOrientationMarkerWidget>::New();
    axesWidget_->SetOrientationMarker(axes);
    axesWidget_->SetInteractor(screen_->interactor());
    axesWidget_->SetEnabled(1);
    axesWidget_->InteractiveOff();

    screen_->update();
}

CloudView::~CloudView() {
    if (axesWidget_) {
        axesWidget_->SetEnabled(0);
    }
}

void CloudView::applyPreset(int index) {
    if (index < 0 || index > 2) {
        return;
    }
    const CameraPreset& p = kPresets[index];
    viewer_->setCameraPosition(p.position[0], p.position[1], p.position[2], p.focal[0], p.focal[1],
                               p.focal[2], p.up[0], p.up[1], p.up[2]);
    render();
}

void CloudView::toggleCoordinate() {
    if (!coordinateShown_) {
        viewer_->addCoordinateSystem(0.5, 0, 0, 0, kCoordinateId);
        coordinateShown_ = true;
    } else {
        viewer_->removeCoordinateSystem(kCoordinateId);
        coordinateShown_ = false;
    }
    resetCameraAndRender();
}

void CloudView::toggleGrid() {
    if (!gridHidden_) {
        // Removes every shape, the picked-point text included; the next
        // frame puts that back.
        viewer_->removeAllShapes();
        gridHidden_ = true;
        resetCameraAndRender();
        return;
    }
    gridHidden_ = false;
    const auto line = [this](const pcl::PointXYZ& from, const pcl::PointXYZ& to,
                             const std::string& id) {
        viewer_->addLine(from, to, kGridGrey, kGridGrey, kGridGrey, id);
        viewer_->setShapeRenderingProperties(pcl::visualization::PCL_VISUALIZER_OPACITY,
                                             kGridOpacity, id);
    };
    for (int i = -200; i <= 200; i += 10) {
        const auto v = static_cast<float>(i);
        line({v, -200, 0}, {v, 200, 0}, "LineX" + std::to_string(i));
        line({-200, v, 0}, {200, v, 0}, "LineY" + std::to_string(i));
    }
    const auto onRing = [](int r, int a) {
        return pcl::PointXYZ(static_cast<float>(r * std::cos(a * kDegree)),
                             static_cast<float>(r * std::sin(a * kDegree)), 0);
    };
    for (int r = 10; r <= 200; r += 10) {
        for (int a = 0; a <= 350; a += 10) {
            line(onRing(r, a), onRing(r, a + 10), "Circle" + std::to_string(r) + std::to_string(a));
        }
    }
    for (int r = 10; r <= 190; r += 20) {
        viewer_->addText3D(std::to_string(r) + "m", onRing(r, 90), 0.3, kGridGrey, kGridGrey,
                           kGridGrey, "Circle" + std::to_string(r));
    }
    resetCameraAndRender();
}

void CloudView::drawFrame(const Cloud::ConstPtr& shown, const Cloud::ConstPtr& inBox) {
    using namespace pcl::visualization;
    // Both clouds go through the overload for coloured points, which keeps
    // each point's own colour; the points in the box are painted blue first.
    *selectedBlue_ = *inBox;
    for (pcl::PointXYZRGB& p : selectedBlue_->points) {
        p.r = 0;
        p.g = 0;
        p.b = 255;
    }
    showColoured(selectedBlue_, kSelectedCloudId);
    viewer_->setPointCloudRenderingProperties(PCL_VISUALIZER_POINT_SIZE, kSelectedPointSize,
                                              kSelectedCloudId);
    showColoured(shown, kFrameCloudId);
    viewer_->setPointCloudRenderingProperties(PCL_VISUALIZER_POINT_SIZE, pointSize_, kFrameCloudId);
    render();
}

void CloudView::showColoured(const Cloud::ConstPtr& cloud, const char* id) {
    // Every update goes through the visualizer's templated update, which
    // casts its actor's mapper to a type it is not (see scripts/ubsan.supp).
    if (viewer_->contains(id)) {
        viewer_->updatePointCloud(cloud, id);
    } else {
        const pcl::visualization::PointCloudColorHandlerRGBField<pcl::PointXYZRGB> own(cloud);
        viewer_->addPointCloud<pcl::PointXYZRGB>(cloud, own, id);
    }
}

void CloudView::clearAll() {
    viewer_->removeAllPointClouds();
    viewer_->removeAllShapes();
    resetCameraAndRender();
}

void CloudView::render() {
    screen_->renderWindow()->Render();
    screen_->update();
}

void CloudView::onKey(const pcl::visualization::KeyboardEvent& event) {
    if (!event.keyDown()) {
        return;
    }
    if (event.getKeyCode() == '+') {
        pointSize_ = std::min(pointSize_ + 1, kMaxPointSize);
    } else if (event.getKeyCode() == '-') {
        pointSize_ = std::max(pointSize_ - 1, kMinPointSize);
    }
}

void CloudView::resetCameraAndRender() {
    viewer_->resetCamera();
    render();
}
