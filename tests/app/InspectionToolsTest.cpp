// The range image panel, the ruler and the frame trail on a 3D view of
// their own (the window's wiring is tested with the window).
#include "app/CloudView.h"
#include "app/RangeImagePanel.h"
#include "app/RangeImageWidget.h"
#include "app/RulerTool.h"
#include "app/TrailView.h"
#include "support/QtWait.h"

#include <QKeyEvent>
#include <QMainWindow>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QVTKOpenGLNativeWidget.h>
#include <gtest/gtest.h>
#include <pcl/visualization/pcl_visualizer.h>
#include <vtkPolyData.h>
#include <vtkRenderWindow.h>
#include <vtkRenderer.h>

namespace {

using Cloud = CloudView::Cloud;

// A view from above (the "Top" preset: 1 m over the sensor) in a window
// that can hold docks.
class InspectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.setCentralWidget(screen);
        window.resize(800, 600);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        view.applyPreset(CloudView::Top);
    }

    // Where a world point shows, in widget pixels.
    QPoint onScreen(const pcl::PointXYZRGB& p) {
        vtkRenderer* r = view.viewer()->getRendererCollection()->GetFirstRenderer();
        r->SetWorldPoint(p.x, p.y, p.z, 1.0);
        r->WorldToDisplay();
        double d[3];
        r->GetDisplayPoint(d);
        const qreal ratio = screen->devicePixelRatioF();
        return {qRound(d[0] / ratio), screen->height() - 1 - qRound(d[1] / ratio)};
    }

    // The brightest red, green or blue within 3 pixels of a place.
    int brightestNear(const QImage& image, QPoint at) {
        int best = 0;
        for (int dy = -3; dy <= 3; ++dy) {
            for (int dx = -3; dx <= 3; ++dx) {
                const QColor c = image.pixelColor(at + QPoint(dx, dy));
                best = std::max({best, c.red(), c.green(), c.blue()});
            }
        }
        return best;
    }

    int trailClouds() {
        int n = 0;
        for (const auto& [id, actor] : *view.viewer()->getCloudActorMap()) {
            n += id.rfind("trail_", 0) == 0 ? 1 : 0;
        }
        return n;
    }

    static Cloud::Ptr cloudAt(std::initializer_list<std::array<float, 3>> points,
                              std::uint8_t grey = 255) {
        Cloud::Ptr c(new Cloud);
        for (const auto& xyz : points) {
            pcl::PointXYZRGB p;
            p.x = xyz[0];
            p.y = xyz[1];
            p.z = xyz[2];
            p.r = p.g = p.b = grey;
            c->push_back(p);
        }
        return c;
    }

    QMainWindow window;
    QVTKOpenGLNativeWidget* screen = new QVTKOpenGLNativeWidget;
    CloudView view{screen};
    Cloud::Ptr none{new Cloud};
};

} // namespace

TEST_F(InspectionTest, TheTrailShowsTheLastFramesDimmerWithAgeAndDropsTheOldest) {
    TrailView trail(view);
    trail.setLength(3);
    view.setPointSize(6);
    // As the window draws: the frame on screen joins the trail, then the
    // next one is drawn.
    Cloud::Ptr onScreenNow;
    const auto draw = [&](const Cloud::Ptr& frame) {
        if (onScreenNow) {
            trail.keepShown(onScreenNow);
        }
        view.drawFrame(frame, none);
        onScreenNow = frame;
    };
    std::vector<Cloud::Ptr> frames;
    for (int k = 0; k < 4; ++k) {
        frames.push_back(cloudAt({{-0.15f + 0.1f * k, 0, 0}}));
    }
    for (int k = 0; k < 3; ++k) {
        draw(frames[k]);
    }
    EXPECT_EQ(trail.framesShown(), 3);
    EXPECT_EQ(trailClouds(), 2);

    draw(frames[3]); // frame 4 of a trail of 3: the first one goes
    EXPECT_EQ(trailClouds(), 2);
    const QImage image = screen->grabFramebuffer();
    EXPECT_EQ(brightestNear(image, onScreen(frames[0]->front())), 0);
    EXPECT_EQ(brightestNear(image, onScreen(frames[3]->front())), 255);
    EXPECT_NEAR(brightestNear(image, onScreen(frames[2]->front())), 191, 3); // 3/4
    EXPECT_NEAR(brightestNear(image, onScreen(frames[1]->front())), 128, 3); // 1/2

    // A trail of 1 is the newest frame alone, at once.
    trail.setLength(1);
    EXPECT_EQ(trailClouds(), 0);
    draw(frames[0]);
    EXPECT_EQ(trailClouds(), 0);

    // Clear takes the older frames away, and the frame that was on screen
    // does not come back as one of them.
    trail.setLength(5);
    draw(frames[1]);
    draw(frames[2]);
    EXPECT_EQ(trailClouds(), 2);
    view.clearAll();
    draw(frames[3]);
    EXPECT_EQ(trailClouds(), 0);
    EXPECT_EQ(trail.framesShown(), 1);
}

TEST_F(InspectionTest, TheRulerMeasuresBetweenTheFramesPointsNearestTheClicks) {
    Cloud::Ptr frame = cloudAt({{0.1f, 0, 0}, {-0.1f, 0.1f, 0.05f}, {0, -0.2f, 0}});
    RulerTool ruler(view, [&]() -> const Cloud& { return *frame; });
    QStatusBar status;
    QObject::connect(&ruler, &RulerTool::statusText, &status,
                     [&](const QString& text) { status.showMessage(text); });
    view.drawFrame(frame, none);

    const auto key = [&](int k) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(screen, &press);
    };
    const auto click = [&](QPoint at) {
        QTest::mouseClick(screen, Qt::LeftButton, Qt::NoModifier, at);
    };

    // Clicks count only while measuring; m in the view turns it on.
    click(onScreen(frame->points[0]));
    EXPECT_TRUE(ruler.points().empty());
    QSignalSpy toggled(&ruler, &RulerTool::activeChanged);
    key(Qt::Key_M);
    ASSERT_TRUE(ruler.active());
    EXPECT_EQ(toggled.count(), 1);

    // A few pixels off still takes the point; empty space takes nothing.
    click(onScreen(frame->points[0]) + QPoint(3, -2));
    EXPECT_FALSE(ruler.clickAt(QPoint(5, 5)));
    click(onScreen(frame->points[1]));
    ASSERT_TRUE(ruler.figures());
    EXPECT_EQ(ruler.figures()->text(),
              QStringLiteral("0.229 m\nhorizontal 0.224 m\nheight +0.050 m"));
    EXPECT_EQ(status.currentMessage(),
              QStringLiteral("Ruler: 0.229 m, horizontal 0.224 m, height +0.050 m"));

    // The line is drawn, and stays in place while the frames change.
    view.drawFrame(cloudAt({{0.3f, 0.3f, 0}}), none);
    const QPoint middle = (onScreen(frame->points[0]) + onScreen(frame->points[1])) / 2;
    const QImage image = screen->grabFramebuffer();
    int yellow = 0;
    for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
            const QColor c = image.pixelColor(middle + QPoint(dx, dy));
            yellow += c.red() > 200 && c.green() > 150 && c.blue() < 100 ? 1 : 0;
        }
    }
    EXPECT_GT(yellow, 0);

    // A third click starts anew; Esc removes the measurement.
    click(onScreen(frame->points[2]));
    EXPECT_EQ(ruler.points().size(), 1u);
    key(Qt::Key_Escape);
    EXPECT_TRUE(ruler.points().empty());
    EXPECT_TRUE(ruler.active());
    key(Qt::Key_M);
    EXPECT_FALSE(ruler.active());
}

namespace {

class RangeImagePanelTest : public InspectionTest {
protected:
    void SetUp() override {
        InspectionTest::SetUp();
        // Wide enough for a widget pixel or more per column.
        window.resize(1900, 600);
        window.addDockWidget(Qt::BottomDockWidgetArea, &panel);
        panel.hide();
        // Channel 68 (level, row 59) at 30°, 12.5 m; channel 3 at 300°.
        frame.append(68, 30.0f, 1250.0f, 80);
        frame.append(3, 300.0f, 500.0f, 255);
    }

    // The widget position in the middle of an image pixel.
    QPoint widgetPixel(int column, int row) {
        const RangeImageWidget& w = panel.widget();
        return {(2 * column + 1) * w.width() / (2 * panel.image().columns()),
                (2 * row + 1) * w.height() / (2 * panel.image().rows())};
    }

    // As the mouse moves it (the real cursor is shared with other tests).
    void hover(QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, panel.widget().mapToGlobal(at), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&panel.widget(), &move);
    }

    ChannelGeometry geometry;
    MuchLidarData frame;
    ChannelSelection channels;
    QStatusBar& status = *window.statusBar();
    QString tips;
    RangeImagePanel panel{geometry,
                          view,
                          status,
                          {[this]() -> const MuchLidarData& { return frame; },
                           [this] { return &channels; }, [] { return 0; }},
                          [this](const QString& t) { tips = t; }};
};

} // namespace

TEST_F(RangeImagePanelTest, ShowsTheFrameTellsAndMarksItsPointsAndSavesOnePixelPerBin) {
    // Hidden, the panel draws nothing.
    panel.frameDrawn();
    EXPECT_EQ(panel.image().pointAt(750, 59), -1);

    panel.show();
    ASSERT_TRUE(waitUntil([&] { return panel.widget().isVisible(); }));
    const int column = 900 - 30 * 5; // 30° left of straight ahead, 0.2° per column
    ASSERT_EQ(panel.image().pointAt(column, 59), 0);

    hover(widgetPixel(column, 59));
    EXPECT_EQ(status.currentMessage(),
              QStringLiteral("Channel 68   Azimuth 30.00°   Distance 12.500 m   Intensity 80"));
    hover(widgetPixel(column + 1, 59));
    EXPECT_EQ(status.currentMessage(), QStringLiteral("Channel 68   Azimuth 29.80°   no return"));

    // A click marks the point in the 3D view.
    QTest::mouseClick(&panel.widget(), Qt::LeftButton, Qt::NoModifier, widgetPixel(column, 59));
    const auto marks = view.viewer()->getCloudActorMap();
    ASSERT_EQ(marks->count(RangeImagePanel::kMarkCloudId), 1u);
    auto* mark = vtkPolyData::SafeDownCast(
        marks->at(RangeImagePanel::kMarkCloudId).actor->GetMapper()->GetInput());
    ASSERT_EQ(mark->GetNumberOfPoints(), 1);
    const PointXyz expected = geometry.point(68, 30.0f, 1250.0f);
    double at[3];
    mark->GetPoint(0, at);
    EXPECT_FLOAT_EQ(static_cast<float>(at[0]), expected.x);
    EXPECT_FLOAT_EQ(static_cast<float>(at[1]), expected.y);

    // A newer frame whose point is elsewhere: the stale pixel tells nothing.
    frame.azimuths[0] = 31.0f;
    EXPECT_FALSE(panel.markPixel(column, 59));

    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("range.png"));
    ASSERT_TRUE(panel.saveTo(path));
    const QImage saved(path);
    EXPECT_EQ(saved.size(), QSize(1800, 128));
    EXPECT_EQ(saved.pixel(column, 59), qRgb(0, 255, 0));        // intensity 80
    EXPECT_EQ(saved.pixel(900 + 60 * 5, 124), qRgb(255, 0, 0)); // channel 3, 300°
    EXPECT_EQ(saved.pixel(column, 58), qRgb(0, 0, 0));
}
