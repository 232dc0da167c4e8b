#include "app/CloudView.h"

#include "app/ViewKeyFilter.h"
#include "platform/OpenGLRenderer.h"

#include <QVTKOpenGLNativeWidget.h>
#include <algorithm>
#include <cmath>
#include <pcl/common/common.h>
#include <pcl/visualization/pcl_visualizer.h>
#include <string>
#include <vtkAxesActor.h>
#include <vtkCamera.h>
#include <vtkGenericOpenGLRenderWindow.h>
#include <vtkMatrix4x4.h>
#include <vtkOrientationMarkerWidget.h>
#include <vtkPropCollection.h>
#include <vtkProperty.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>
#include <vtkRendererCollection.h>

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
    // A software rasteriser spends most of a frame's draw on multisamples.
    if (OpenGLRenderer::isSoftware(OpenGLRenderer::name())) {
        window->SetMultiSamples(0);
    }
    viewer_ =
        std::make_shared<pcl::visualization::PCLVisualizer>(renderer, window, "viewer", false);
    screen_->setRenderWindow(viewer_->getRenderWindow());
    viewer_->setupInteractor(screen_->interactor(), screen_->renderWindow());
    // Installed first, so that it sees a key last: the filters installed
    // later take the keys the program binds in the view.
    new ViewKeyFilter(*screen_);

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
    if (frameShown_ && !frameShown_->empty()) {
        fitAlongView(*frameShown_);
    }
    presetCamera_ = camera();
    presetIndex_ = index;
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
    pendingSelection_.reset();
    showSelected(*inBox);
    showColoured(shown, kFrameCloudId);
    viewer_->setPointCloudRenderingProperties(PCL_VISUALIZER_POINT_SIZE, pointSize_, kFrameCloudId);
    frameShown_ = shown;
    if (fitPending_ && !shown->empty()) {
        fitPending_ = false;
        if (cameraAtPreset()) {
            fitAlongView(*shown);
            presetCamera_ = camera(); // still the preset, only fitted
        }
    }
    render();
}

void CloudView::setPointSize(int size) {
    pointSize_ = std::clamp(size, kMinPointSize, kMaxPointSize);
    if (viewer_->contains(kFrameCloudId)) {
        viewer_->setPointCloudRenderingProperties(pcl::visualization::PCL_VISUALIZER_POINT_SIZE,
                                                  pointSize_, kFrameCloudId);
        render();
    }
}

void CloudView::showSelection(Cloud picked) {
    pendingSelection_ = std::move(picked);
}

ViewPoint CloudView::viewPixel(int widgetX, int widgetY) const {
    // As the widget hands mouse positions to the interactor.
    constexpr double kRatioTolerance = 1e-5;
    const double ratio = screen_->devicePixelRatioF();
    const int x = static_cast<int>(widgetX * ratio + kRatioTolerance);
    const int y = static_cast<int>(widgetY * ratio + kRatioTolerance);
    return {x, screen_->interactor()->GetSize()[1] - y - 1};
}

std::array<double, 16> CloudView::worldToClip() const {
    vtkRenderer* renderer = viewer_->getRendererCollection()->GetFirstRenderer();
    vtkMatrix4x4* m = renderer->GetActiveCamera()->GetCompositeProjectionTransformMatrix(
        renderer->GetTiledAspectRatio(), -1, 1);
    std::array<double, 16> matrix{};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            matrix[static_cast<std::size_t>(row * 4 + column)] = m->GetElement(row, column);
        }
    }
    return matrix;
}

FrustumPick CloudView::frustumThrough(ViewRectangle rectangle) const {
    const int* size = viewer_->getRendererCollection()->GetFirstRenderer()->GetSize();
    return FrustumPick(worldToClip(), size[0], size[1], rectangle);
}

ScreenSnap CloudView::screenSnap() const {
    const int* size = viewer_->getRendererCollection()->GetFirstRenderer()->GetSize();
    return ScreenSnap(worldToClip(), size[0], size[1]);
}

void CloudView::showPointText(const std::string& text) {
    constexpr int kX = 150;
    constexpr int kY = 0;
    constexpr int kFontSize = 20;
    // Updated in place once added (adding it again would be refused with a
    // warning on every frame).
    if (viewer_->contains(kPointTextId)) {
        viewer_->updateText(text, kX, kY, kFontSize, 0, 0, 1, kPointTextId);
    } else {
        viewer_->addText(text, kX, kY, kFontSize, 0, 0, 1, kPointTextId);
    }
}

void CloudView::showColoured(const Cloud::ConstPtr& cloud, const std::string& id) {
    // Every update goes through the visualizer's templated update, which
    // casts its actor's mapper to a type it is not (see scripts/ubsan.supp).
    if (viewer_->contains(id)) {
        viewer_->updatePointCloud(cloud, id);
    } else {
        const pcl::visualization::PointCloudColorHandlerRGBField<pcl::PointXYZRGB> own(cloud);
        viewer_->addPointCloud<pcl::PointXYZRGB>(cloud, own, id);
    }
}

void CloudView::showSelected(const Cloud& points) {
    // Painted blue in the points themselves, so this cloud takes the same
    // colour-keeping update as the frame's.
    *selectedBlue_ = points;
    for (pcl::PointXYZRGB& p : selectedBlue_->points) {
        p.r = 0;
        p.g = 0;
        p.b = 255;
    }
    showColoured(selectedBlue_, kSelectedCloudId);
    viewer_->setPointCloudRenderingProperties(pcl::visualization::PCL_VISUALIZER_POINT_SIZE,
                                              kSelectedPointSize, kSelectedCloudId);
}

void CloudView::clearAll() {
    pendingSelection_.reset();
    frameShown_.reset();
    viewer_->removeAllPointClouds();
    viewer_->removeAllShapes();
    resetCameraAndRender();
}

void CloudView::showCloud(const Cloud::ConstPtr& cloud, const std::string& id, double brightness) {
    showColoured(cloud, id);
    viewer_->setPointCloudRenderingProperties(pcl::visualization::PCL_VISUALIZER_POINT_SIZE,
                                              pointSize_, id);
    setBrightness(id, brightness);
}

void CloudView::setBrightness(const std::string& id, double brightness) {
    const auto clouds = viewer_->getCloudActorMap();
    const auto it = clouds->find(id);
    if (it == clouds->end()) {
        return;
    }
    // Points carry no normals, so they are drawn unlit: their colour times
    // the ambient plus the diffuse coefficient.
    vtkProperty* property = it->second.actor->GetProperty();
    property->SetAmbient(0);
    property->SetDiffuse(brightness);
}

void CloudView::removeCloud(const std::string& id) {
    if (viewer_->contains(id)) {
        viewer_->removePointCloud(id);
    }
}

void CloudView::drawFirst(const std::vector<std::string>& ids) {
    // The renderer draws its props in the order of this collection.
    vtkPropCollection* props = viewer_->getRendererCollection()->GetFirstRenderer()->GetViewProps();
    const auto clouds = viewer_->getCloudActorMap();
    for (auto id = ids.rbegin(); id != ids.rend(); ++id) {
        const auto found = clouds->find(*id);
        if (found == clouds->end()) {
            continue;
        }
        vtkProp* actor = found->second.actor.GetPointer();
        props->RemoveItem(actor);
        props->InsertItem(-1, actor);
    }
}

void CloudView::render() {
    if (pendingSelection_) {
        showSelected(*pendingSelection_);
        pendingSelection_.reset();
    }
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

CloudView::CameraState CloudView::camera() const {
    CameraState state;
    vtkCamera* c = viewer_->getRendererCollection()->GetFirstRenderer()->GetActiveCamera();
    c->GetPosition(state.position);
    c->GetFocalPoint(state.focal);
    c->GetViewUp(state.up);
    state.viewAngle = c->GetViewAngle();
    return state;
}

bool CloudView::cameraAtPreset() const {
    if (presetIndex_ < 0) {
        return false;
    }
    const CameraState now = camera();
    const auto same = [](const double* a, const double* b) {
        return std::equal(a, a + 3, b, [](double x, double y) { return std::abs(x - y) < 1e-9; });
    };
    return same(now.position, presetCamera_.position) && same(now.focal, presetCamera_.focal) &&
           same(now.up, presetCamera_.up) && now.viewAngle == presetCamera_.viewAngle;
}

void CloudView::fitAlongView(const Cloud& cloud) {
    pcl::PointXYZRGB low;
    pcl::PointXYZRGB high;
    pcl::getMinMax3D(cloud, low, high);
    double bounds[6] = {low.x, high.x, low.y, high.y, low.z, high.z};
    for (const Cloud* other : fitAlso_ ? fitAlso_() : std::vector<const Cloud*>{}) {
        if (other == nullptr || other->empty()) {
            continue;
        }
        pcl::getMinMax3D(*other, low, high);
        bounds[0] = std::min(bounds[0], static_cast<double>(low.x));
        bounds[1] = std::max(bounds[1], static_cast<double>(high.x));
        bounds[2] = std::min(bounds[2], static_cast<double>(low.y));
        bounds[3] = std::max(bounds[3], static_cast<double>(high.y));
        bounds[4] = std::min(bounds[4], static_cast<double>(low.z));
        bounds[5] = std::max(bounds[5], static_cast<double>(high.z));
    }
    // Keeps the direction of view and the view-up; centres the points and
    // moves the camera back until they all fit.
    viewer_->getRendererCollection()->GetFirstRenderer()->ResetCamera(bounds);
}

void CloudView::resetCameraAndRender() {
    viewer_->resetCamera();
    render();
}
