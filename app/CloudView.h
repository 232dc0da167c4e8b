#pragma once

#include "lidar/FrustumPick.h"
#include "lidar/ScreenSnap.h"

#include <functional>
#include <memory>
#include <optional>
#include <pcl/point_cloud.h>
#include <pcl/point_types.h>
#include <string>
#include <vector>
#include <vtkSmartPointer.h>

class QVTKOpenGLNativeWidget;
class vtkOrientationMarkerWidget;
namespace pcl {
namespace visualization {
class KeyboardEvent;
class PCLVisualizer;
} // namespace visualization
} // namespace pcl

// The 3D view in the window's `screen` widget: the visualizer, its camera
// presets, orientation axes, coordinate system and measuring grid, the
// point-size keys and the per-frame drawing of the two clouds.
class CloudView {
public:
    using Cloud = pcl::PointCloud<pcl::PointXYZRGB>;

    static constexpr const char* kFrameCloudId = "realTime_points";
    static constexpr const char* kSelectedCloudId = "clicked_points";
    static constexpr const char* kCoordinateId = "coordinate";
    static constexpr const char* kPointTextId = "0";
    static constexpr int kMinPointSize = 1;
    static constexpr int kMaxPointSize = 10;
    static constexpr int kSelectedPointSize = 5;

    enum Preset { Front = 0, Top = 1, Left = 2 };

    explicit CloudView(QVTKOpenGLNativeWidget* screen);
    ~CloudView();
    CloudView(const CloudView&) = delete;
    CloudView& operator=(const CloudView&) = delete;

    const std::shared_ptr<pcl::visualization::PCLVisualizer>& viewer() const { return viewer_; }
    QVTKOpenGLNativeWidget* screen() const { return screen_; }

    // Camera presets by the index of the view combo box; other indices are
    // ignored. With a frame on screen the camera keeps the preset's
    // direction and view-up but is moved to fit that frame: from 1 m away
    // a street is a black screen or a wall of dots.
    void applyPreset(int index);
    // The camera stands where applyPreset(index) last put it.
    bool showsPreset(int index) const { return index == presetIndex_ && cameraAtPreset(); }

    // The next frame with points that is drawn is fitted into the view
    // along the direction of the last preset (once), provided the camera
    // still stands where that preset put it.
    void fitFirstFrame() { fitPending_ = true; }
    bool firstFrameFitPending() const { return fitPending_; }

    // Clouds drawn beside the frame (other sensors' frames) that fitting the
    // camera to the frame takes in too.
    void setFitAlso(std::function<std::vector<const Cloud*>()> clouds) {
        fitAlso_ = std::move(clouds);
    }

    void toggleCoordinate();
    bool coordinateShown() const { return coordinateShown_; }

    void toggleGrid();
    bool gridHidden() const { return gridHidden_; }

    // The size of the frame's points, applied when the next frame is drawn.
    int pointSize() const { return pointSize_; }
    // Clamped to 1..10; a frame on screen takes it at once.
    void setPointSize(int size);

    // Shows a frame: its points coloured by their own colour, the points in
    // the selection box on top in blue. Each cloud is added once and then
    // updated in place.
    void drawFrame(const Cloud::ConstPtr& shown, const Cloud::ConstPtr& inBox);

    // The points of an area selection go to "clicked_points", in blue, with
    // the next render, unless a frame is drawn first (its points in the box
    // take their place).
    void showSelection(Cloud picked);

    // A point of the screen widget in the view's pixels as the interactor
    // counts them: device pixels, the origin at the bottom left.
    ViewPoint viewPixel(int widgetX, int widgetY) const;
    // The frustum through a rectangle of the view, as the camera stands.
    FrustumPick frustumThrough(ViewRectangle rectangle) const;
    // Where points show on the view, as the camera stands.
    ScreenSnap screenSnap() const;

    // The text of the point under the mouse, in blue at the bottom left.
    void showPointText(const std::string& text);

    // Removes every cloud and shape and fits the camera to what is left.
    void clearAll();

    // A cloud of its own next to the frame's, in its points' colours at the
    // frame's point size, dimmed to `brightness` (1 as they are). Added
    // once, then updated in place.
    void showCloud(const Cloud::ConstPtr& cloud, const std::string& id, double brightness = 1);
    void setBrightness(const std::string& id, double brightness);
    void removeCloud(const std::string& id);
    // These clouds are drawn before everything else, in this order. Where
    // points of two clouds lie at the same depth, the one drawn later shows.
    void drawFirst(const std::vector<std::string>& ids);

    void render();

private:
    // The camera's view and projection for the view's aspect, row-major.
    std::array<double, 16> worldToClip() const;
    struct CameraState {
        double position[3] = {}, focal[3] = {}, up[3] = {}, viewAngle = 0;
    };

    // Adds the cloud once, then updates it in place, in its points' colours.
    void showColoured(const Cloud::ConstPtr& cloud, const std::string& id);
    // "clicked_points": the given points in blue.
    void showSelected(const Cloud& points);
    void onKey(const pcl::visualization::KeyboardEvent& event);
    void resetCameraAndRender();
    CameraState camera() const;
    bool cameraAtPreset() const;
    void fitAlongView(const Cloud& cloud);

    QVTKOpenGLNativeWidget* screen_;
    std::shared_ptr<pcl::visualization::PCLVisualizer> viewer_;
    vtkSmartPointer<vtkOrientationMarkerWidget> axesWidget_;
    Cloud::Ptr selectedBlue_{new Cloud};
    bool coordinateShown_ = false;
    bool gridHidden_ = true;
    int pointSize_ = kMinPointSize;
    std::optional<Cloud> pendingSelection_;
    bool fitPending_ = false;
    int presetIndex_ = -1;       // the last preset applied
    CameraState presetCamera_;   // as the last preset left it
    Cloud::ConstPtr frameShown_; // the last frame drawn, until clearAll()
    std::function<std::vector<const Cloud*>()> fitAlso_;
};
