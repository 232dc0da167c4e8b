#include "app/CloudView.h"
#include "platform/OpenGLRenderer.h"
#include "support/QtWait.h"

#include <QTest>
#include <QVTKOpenGLNativeWidget.h>
#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <pcl/visualization/pcl_visualizer.h>
#include <set>
#include <vtkActor.h>
#include <vtkCamera.h>
#include <vtkCommand.h>
#include <vtkPolyData.h>
#include <vtkPropCollection.h>
#include <vtkProperty.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>
#include <vtkUnsignedCharArray.h>

namespace {

class CloudViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        screen.resize(640, 480);
        screen.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&screen));
    }

    pcl::visualization::PCLVisualizer& viewer() { return *view.viewer(); }

    vtkCamera* camera() {
        return viewer().getRendererCollection()->GetFirstRenderer()->GetActiveCamera();
    }

    void key(char code, const char* sym) {
        vtkRenderWindowInteractor* i = screen.interactor();
        i->SetKeyEventInformation(0, 0, code, 1, sym);
        i->InvokeEvent(vtkCommand::KeyPressEvent);
        i->InvokeEvent(vtkCommand::KeyReleaseEvent);
    }

    vtkPolyData* polyDataOf(const std::string& id) {
        auto clouds = viewer().getCloudActorMap();
        auto it = clouds->find(id);
        if (it == clouds->end()) {
            return nullptr;
        }
        return vtkPolyData::SafeDownCast(it->second.actor->GetMapper()->GetInput());
    }

    static CloudView::Cloud::Ptr cloudOf(int count, std::uint8_t r, std::uint8_t g,
                                         std::uint8_t b) {
        CloudView::Cloud::Ptr c(new CloudView::Cloud);
        for (int i = 0; i < count; ++i) {
            pcl::PointXYZRGB p;
            p.x = 0.01f * i;
            p.y = 0.1f;
            p.z = 0;
            p.r = r;
            p.g = g;
            p.b = b;
            c->push_back(p);
        }
        return c;
    }

    QVTKOpenGLNativeWidget screen;
    CloudView view{&screen};
};

} // namespace

TEST_F(CloudViewTest, ASoftwareRasteriserDrawsWithoutMultisamples) {
    if (!OpenGLRenderer::isSoftware(OpenGLRenderer::name())) {
        GTEST_SKIP() << "this display draws with a GPU, which keeps its multisamples";
    }
    EXPECT_EQ(screen.renderWindow()->GetMultiSamples(), 0);
}

TEST_F(CloudViewTest, GridHasItsIdsAndComesAndGoes) {
    EXPECT_TRUE(view.gridHidden());
    view.toggleGrid();
    EXPECT_FALSE(view.gridHidden());
    auto shapes = viewer().getShapeActorMap();
    std::set<std::string> ids;
    for (const auto& entry : *shapes) {
        ids.insert(entry.first);
    }
    int lines = 0;
    int labels = 0;
    for (int i = -200; i <= 200; i += 10) {
        lines += ids.count("LineX" + std::to_string(i)) + ids.count("LineY" + std::to_string(i));
    }
    for (int r = 10; r <= 200; r += 10) {
        for (int a = 0; a <= 350; a += 10) {
            lines += ids.count("Circle" + std::to_string(r) + std::to_string(a));
        }
    }
    for (int r = 10; r <= 190; r += 20) {
        labels += ids.count("Circle" + std::to_string(r));
    }
    EXPECT_EQ(lines, 802);
    EXPECT_EQ(labels, 10);
    EXPECT_EQ(ids.size(), 812u);
    EXPECT_TRUE(ids.count("LineX-200"));
    EXPECT_TRUE(ids.count("Circle10350"));
    EXPECT_TRUE(ids.count("Circle30"));

    view.toggleGrid();
    EXPECT_TRUE(view.gridHidden());
    EXPECT_TRUE(viewer().getShapeActorMap()->empty());
    view.toggleGrid(); // and back again
    EXPECT_EQ(viewer().getShapeActorMap()->size(), 812u);
}

TEST_F(CloudViewTest, CameraPresets) {
    const struct {
        int index;
        double position[3];
        double focal[3];
        double up[3];
    } presets[] = {
        {CloudView::Front, {0, -1, 0}, {0, 0.2, -0.2}, {0, 0, 1}},
        {CloudView::Top, {0, 0, 1}, {0, 0, 0}, {0, 1, 0}},
        {CloudView::Left, {-1, 0, 0}, {0, 0, -0.2}, {0, 0, 1}},
    };
    for (const auto& p : presets) {
        view.applyPreset(p.index);
        double position[3], focal[3], up[3];
        camera()->GetPosition(position);
        camera()->GetFocalPoint(focal);
        camera()->GetViewUp(up);
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(position[k], p.position[k], 1e-9) << "preset " << p.index;
            EXPECT_NEAR(focal[k], p.focal[k], 1e-9) << "preset " << p.index;
            EXPECT_NEAR(up[k], p.up[k], 1e-9) << "preset " << p.index;
        }
    }
}

TEST_F(CloudViewTest, TheFirstFrameIsFittedOnceAlongThePresetUnlessTheCameraWasMoved) {
    struct Camera {
        double position[3], focal[3], up[3];
    };
    const auto now = [this] {
        Camera c;
        camera()->GetPosition(c.position);
        camera()->GetFocalPoint(c.focal);
        camera()->GetViewUp(c.up);
        return c;
    };
    const auto same = [](const Camera& a, const Camera& b) {
        for (int k = 0; k < 3; ++k) {
            if (std::abs(a.position[k] - b.position[k]) > 1e-9 ||
                std::abs(a.focal[k] - b.focal[k]) > 1e-9 || std::abs(a.up[k] - b.up[k]) > 1e-9) {
                return false;
            }
        }
        return true;
    };
    // A street-sized frame: 40 m wide, centred 10 m ahead.
    CloudView::Cloud::Ptr street(new CloudView::Cloud);
    for (int i = 0; i <= 40; ++i) {
        pcl::PointXYZRGB p;
        p.x = static_cast<float>(i - 20);
        p.y = 10;
        street->push_back(p);
    }

    view.applyPreset(CloudView::Top);
    view.fitFirstFrame();
    view.drawFrame(cloudOf(0, 0, 0, 0), cloudOf(0, 0, 0, 0)); // empty: waits for points
    EXPECT_TRUE(view.firstFrameFitPending());
    view.drawFrame(street, cloudOf(0, 0, 0, 0));
    const Camera fitted = now();
    // Still looking straight down with y up, now at the frame's centre and
    // far enough above it to see all of it.
    EXPECT_NEAR(fitted.focal[0], 0, 1e-6);
    EXPECT_NEAR(fitted.focal[1], 10, 1e-6);
    EXPECT_NEAR(fitted.position[0], 0, 1e-6);
    EXPECT_NEAR(fitted.position[1], 10, 1e-6);
    EXPECT_GT(fitted.position[2], 20);
    EXPECT_NEAR(fitted.up[1], 1, 1e-9);

    // Once only.
    view.drawFrame(cloudOf(5, 0, 0, 0), cloudOf(0, 0, 0, 0));
    EXPECT_TRUE(same(now(), fitted));

    // A preset chosen afterwards stays exactly as it is.
    view.applyPreset(CloudView::Front);
    const Camera front = now();
    view.drawFrame(street, cloudOf(0, 0, 0, 0));
    EXPECT_TRUE(same(now(), front));

    // A camera the user moved since the preset is left where it is.
    view.applyPreset(CloudView::Top);
    camera()->Azimuth(15);
    const Camera moved = now();
    view.fitFirstFrame();
    view.drawFrame(street, cloudOf(0, 0, 0, 0));
    EXPECT_TRUE(same(now(), moved));
    EXPECT_FALSE(view.firstFrameFitPending());
}

TEST_F(CloudViewTest, APresetChosenWithAFrameOnScreenFitsTheFrameAlongItsDirection) {
    // White points along a street 40 m wide, 10 m ahead: out of sight of a
    // camera 1 m above the sensor.
    CloudView::Cloud::Ptr street(new CloudView::Cloud);
    for (int i = 0; i <= 400; ++i) {
        pcl::PointXYZRGB p;
        p.x = 0.1f * static_cast<float>(i) - 20;
        p.y = 10;
        p.r = p.g = p.b = 255;
        street->push_back(p);
    }
    const auto lit = [this] {
        const QImage image = screen.grabFramebuffer();
        int n = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                n += qGray(image.pixel(x, y)) > 200 ? 1 : 0;
            }
        }
        return n;
    };
    view.applyPreset(CloudView::Top);
    const int axesOnly = lit();
    view.drawFrame(street, cloudOf(0, 0, 0, 0));
    // In sight, the street lights about 400 pixels; the axes alone vary by
    // a few dozen with the depth range the street's bounds give them.
    EXPECT_LT(lit(), axesOnly + 100);

    view.applyPreset(CloudView::Top);
    EXPECT_GE(lit(), axesOnly + 200) << "axes " << axesOnly;
    EXPECT_TRUE(view.showsPreset(CloudView::Top));

    // The preset's direction and view-up stay; only the distance and the
    // centre follow the frame.
    const auto direction = [this] {
        double d[3], up[3];
        camera()->GetDirectionOfProjection(d);
        camera()->GetViewUp(up);
        return std::array<double, 6>{d[0], d[1], d[2], up[0], up[1], up[2]};
    };
    const double tilt = std::hypot(1.2, 0.2);
    view.applyPreset(CloudView::Front);
    const std::array<double, 6> front = direction();
    const double expected[6] = {0, 1.2 / tilt, -0.2 / tilt, 0, 0, 1};
    for (int k = 0; k < 6; ++k) {
        EXPECT_NEAR(front[k], expected[k], 1e-9) << k;
    }
    double focal[3];
    camera()->GetFocalPoint(focal);
    EXPECT_NEAR(focal[1], 10, 1e-6);

    // Without a frame the preset is the camera as specified.
    view.clearAll();
    view.applyPreset(CloudView::Top);
    double position[3];
    camera()->GetPosition(position);
    EXPECT_NEAR(position[2], 1, 1e-9);
}

TEST_F(CloudViewTest, CoordinateSystemToggles) {
    view.toggleCoordinate();
    EXPECT_TRUE(view.coordinateShown());
    EXPECT_TRUE(viewer().contains(CloudView::kCoordinateId));
    view.toggleCoordinate();
    EXPECT_FALSE(view.coordinateShown());
    EXPECT_FALSE(viewer().contains(CloudView::kCoordinateId));
}

TEST_F(CloudViewTest, PlusAndMinusKeysKeepThePointSizeWithinOneToTen) {
    EXPECT_EQ(view.pointSize(), 1);
    key('-', "minus");
    EXPECT_EQ(view.pointSize(), 1);
    for (int i = 0; i < 11; ++i) {
        key('+', "plus");
    }
    EXPECT_EQ(view.pointSize(), 10);
    key('a', "a");
    EXPECT_EQ(view.pointSize(), 10);
    key('-', "minus");
    EXPECT_EQ(view.pointSize(), 9);

    // It applies to the frame's cloud when the next frame is drawn.
    view.drawFrame(cloudOf(5, 1, 2, 3), cloudOf(0, 0, 0, 0));
    double size = 0;
    viewer().getPointCloudRenderingProperties(pcl::visualization::PCL_VISUALIZER_POINT_SIZE, size,
                                              CloudView::kFrameCloudId);
    EXPECT_EQ(size, 9);
    viewer().getPointCloudRenderingProperties(pcl::visualization::PCL_VISUALIZER_POINT_SIZE, size,
                                              CloudView::kSelectedCloudId);
    EXPECT_EQ(size, 5);
}

TEST_F(CloudViewTest, FramesAreAddedOnceThenUpdatedWithTheirOwnColours) {
    view.drawFrame(cloudOf(100, 10, 20, 30), cloudOf(3, 250, 250, 250));
    const auto clouds = viewer().getCloudActorMap();
    ASSERT_EQ(clouds->size(), 2u);
    vtkActor* frameActor = clouds->at(CloudView::kFrameCloudId).actor;

    view.drawFrame(cloudOf(40, 200, 100, 50), cloudOf(7, 250, 250, 250));
    ASSERT_EQ(viewer().getCloudActorMap()->size(), 2u);
    EXPECT_EQ(viewer().getCloudActorMap()->at(CloudView::kFrameCloudId).actor, frameActor);

    vtkPolyData* frame = polyDataOf(CloudView::kFrameCloudId);
    ASSERT_NE(frame, nullptr);
    ASSERT_EQ(frame->GetNumberOfPoints(), 40);
    auto* colours = vtkUnsignedCharArray::SafeDownCast(frame->GetPointData()->GetScalars());
    ASSERT_NE(colours, nullptr);
    EXPECT_EQ(colours->GetComponent(39, 0), 200);
    EXPECT_EQ(colours->GetComponent(39, 1), 100);
    EXPECT_EQ(colours->GetComponent(39, 2), 50);

    vtkPolyData* selected = polyDataOf(CloudView::kSelectedCloudId);
    ASSERT_NE(selected, nullptr);
    ASSERT_EQ(selected->GetNumberOfPoints(), 7);
    auto* blue = vtkUnsignedCharArray::SafeDownCast(selected->GetPointData()->GetScalars());
    ASSERT_NE(blue, nullptr);
    EXPECT_EQ(blue->GetComponent(6, 0), 0);
    EXPECT_EQ(blue->GetComponent(6, 1), 0);
    EXPECT_EQ(blue->GetComponent(6, 2), 255);

    // An empty frame empties both clouds; clearing removes them, and the
    // next frame adds them again.
    view.drawFrame(cloudOf(0, 0, 0, 0), cloudOf(0, 0, 0, 0));
    EXPECT_EQ(polyDataOf(CloudView::kFrameCloudId)->GetNumberOfPoints(), 0);
    view.clearAll();
    EXPECT_TRUE(viewer().getCloudActorMap()->empty());
    view.drawFrame(cloudOf(4, 1, 1, 1), cloudOf(0, 0, 0, 0));
    EXPECT_EQ(polyDataOf(CloudView::kFrameCloudId)->GetNumberOfPoints(), 4);
}

TEST_F(CloudViewTest, DrawnPointsReachThePixels) {
    view.applyPreset(CloudView::Top);
    const QImage empty = screen.grabFramebuffer();
    auto c = cloudOf(20, 255, 255, 255);
    view.drawFrame(c, cloudOf(0, 0, 0, 0));
    const QImage drawn = screen.grabFramebuffer();
    ASSERT_EQ(drawn.size(), empty.size());
    int lit = 0;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            lit += drawn.pixel(x, y) != empty.pixel(x, y) ? 1 : 0;
        }
    }
    EXPECT_GE(lit, 20);
}

TEST_F(CloudViewTest, OnlyTheKeysTheGuideListsReachTheVisualizer) {
    view.drawFrame(cloudOf(50, 200, 10, 10), cloudOf(0, 0, 0, 0));
    vtkRenderer* renderer = viewer().getRendererCollection()->GetFirstRenderer();
    vtkActor* frame = viewer().getCloudActorMap()->at(CloudView::kFrameCloudId).actor;
    struct State {
        int props, representation, parallel;
        double pointSize;
        std::array<double, 3> position, focal;
        bool operator==(const State& o) const {
            return props == o.props && representation == o.representation &&
                   parallel == o.parallel && pointSize == o.pointSize && position == o.position &&
                   focal == o.focal;
        }
    };
    const auto state = [&] {
        State s{};
        s.props = renderer->GetViewProps()->GetNumberOfItems();
        s.representation = frame->GetProperty()->GetRepresentation();
        s.parallel = camera()->GetParallelProjection();
        s.pointSize = frame->GetProperty()->GetPointSize();
        camera()->GetPosition(s.position.data());
        camera()->GetFocalPoint(s.focal.data());
        return s;
    };
    camera()->SetPosition(3, 4, 5);
    const State before = state();
    // The visualizer's own bindings: a colour bar, camera dumps, wireframe,
    // surface, points, screenshots, fly-to, projection, stereo, colour
    // handlers, exits; and r and + with modifiers.
    for (const char* text : {"u", "U", "c", "C", "w", "s", "p", "j", "f", "o", "3", "1", "5", "g",
                             "l", "h", "e", "q", "k"}) {
        QTest::keyClicks(&screen, text);
    }
    QTest::keyClick(&screen, Qt::Key_R, Qt::ControlModifier);
    QTest::keyClick(&screen, Qt::Key_Plus, Qt::AltModifier);
    QTest::keyClick(&screen, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_TRUE(state() == before);

    // What the guide lists still works: + sizes the points, r fits them.
    QTest::keyClick(&screen, Qt::Key_Plus, Qt::ShiftModifier);
    EXPECT_EQ(view.pointSize(), 2);
    QTest::keyClick(&screen, Qt::Key_R);
    EXPECT_NE(state().position, before.position);
}
