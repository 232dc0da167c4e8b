#include "PickingHelpers.h"
#include "WindowFixture.h"

#include "app/AreaPicking.h"
#include "app/MousePointOverlay.h"
#include "dialogs/SelectPointRange.h"
#include "lidar/ChannelGeometry.h"
#include "lidar/DataListModel.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <random>
#include <vtkAreaPicker.h>
#include <vtkCommand.h>
#include <vtkPolyData.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkUnsignedCharArray.h>

namespace {

constexpr int kLevelChannel = 68; // elevation 0: z is 0

// Points 20 cm out on the level channel; intensity tells them apart.
MuchLidarData pointsAt(std::initializer_list<float> azimuths, int firstIntensity = 0) {
    MuchLidarData f;
    int intensity = firstIntensity;
    for (float a : azimuths) {
        f.append(kLevelChannel, a, 20.0f, intensity++);
    }
    return f;
}

void append(MuchLidarData& to, const MuchLidarData& more) {
    for (std::size_t i = 0; i < more.size(); ++i) {
        to.append(more.laserIds[i], more.azimuths[i], more.distances[i], more.intensities[i]);
    }
}

class Picking : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        ASSERT_TRUE(startLive());
    }

    std::vector<PointXyz> xyz(const MuchLidarData& f) const {
        std::vector<PointXyz> out;
        for (std::size_t i = 0; i < f.size(); ++i) {
            out.push_back(geometry.point(f.laserIds[i], f.azimuths[i], f.distances[i]));
        }
        return out;
    }

    // The statistics labels: 'X', 'Y' or 'Z'.
    QString label(char axis) {
        return window.statusBar()
            ->findChild<QLabel*>(QStringLiteral("statusLabel") + QLatin1Char(axis))
            ->text();
    }
    DataListModel& list() { return *window.dataListModel(); }

    // Arms, drags around `points` and waits until the rubber band is off.
    void select(const std::vector<PointXyz>& points) {
        button("toolButton_select")->click();
        ASSERT_TRUE(picking().armed());
        dragAround(window, points);
        ASSERT_TRUE(waitUntil([this] { return !picking().armed(); }));
    }
    AreaPicking& picking() { return window.areaPicking(); }

    ChannelGeometry geometry;
    // Three points close together, and others well away from them.
    const MuchLidarData cluster = pointsAt({30.0f, 30.5f, 31.0f}, 10);
    const MuchLidarData others = pointsAt({45.0f, 120.0f, 210.0f, 300.0f}, 50);
};

vtkPolyData* cloudData(manwindow& window, const char* id) {
    const auto clouds = window.cloudView().viewer()->getCloudActorMap();
    const auto it = clouds->find(id);
    return it == clouds->end()
               ? nullptr
               : vtkPolyData::SafeDownCast(it->second.actor->GetMapper()->GetInput());
}

} // namespace

TEST_F(Picking, ADraggedRectanglePicksItsPointsAndListsTheBox) {
    MuchLidarData frame = cluster;
    append(frame, others);
    show(frame);

    button("toolButton_select")->click();
    EXPECT_TRUE(picking().armed());
    EXPECT_EQ(window.cursor().shape(), Qt::CrossCursor);
    EXPECT_FALSE(picking().annotationEnabled());
    // Pressing again disarms; x in the view does the same.
    button("toolButton_select")->click();
    EXPECT_FALSE(picking().armed());
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
    QTest::keyClick(screen(), Qt::Key_X);
    EXPECT_TRUE(picking().armed());
    QTest::keyClick(screen(), Qt::Key_X);
    EXPECT_FALSE(picking().armed());

    const std::vector<PointXyz> picked = xyz(cluster);
    select(picked);
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(picking().selectionActive());
    EXPECT_TRUE(picking().annotationEnabled());
    ASSERT_EQ(picking().selectedCount(), 3);
    const SelectionBox& box = picking().box();
    EXPECT_EQ(box.xMin, picked[2].x); // x falls as the azimuth grows
    EXPECT_EQ(box.xMax, picked[0].x);
    EXPECT_EQ(box.yMin, picked[0].y);
    EXPECT_EQ(box.yMax, picked[2].y);
    EXPECT_EQ(box.zMin, 0);
    EXPECT_EQ(box.zMax, 0);

    // The blue points follow the list and the labels.
    vtkPolyData* blue = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        blue = cloudData(window, CloudView::kSelectedCloudId);
        return blue != nullptr && blue->GetNumberOfPoints() == 3;
    }));
    auto* colours = vtkUnsignedCharArray::SafeDownCast(blue->GetPointData()->GetScalars());
    ASSERT_NE(colours, nullptr);
    EXPECT_EQ(colours->GetComponent(2, 0), 0);
    EXPECT_EQ(colours->GetComponent(2, 2), 255);

    ASSERT_EQ(list().rowCount(), 3);
    EXPECT_EQ(list().text(0, 3), "30.000");
    EXPECT_EQ(list().text(2, 4), "12.0000");
    EXPECT_EQ(list().text(2, 5), "68.0000");
    EXPECT_TRUE(label('Y').startsWith("selectP: Y_max:  ")) << label('Y').toStdString();
}

TEST_F(Picking, LaterFramesWrapTheListAtThePickedCountAndClearStartsOver) {
    MuchLidarData frame = cluster;
    append(frame, others);
    show(frame);
    select(xyz(cluster));
    ASSERT_EQ(picking().selectedCount(), 3);

    // Five points in the box, three picked: rows 0, 1, 2, then 0 and 1 again.
    MuchLidarData five = cluster;
    append(five, pointsAt({30.0f, 31.0f}, 100));
    append(five, others);
    show(five);
    EXPECT_EQ(list().text(0, 4), "100.0000");
    EXPECT_EQ(list().text(1, 4), "101.0000");
    EXPECT_EQ(list().text(2, 4), "12.0000");
    EXPECT_EQ(window.lastConversion().inBox->size(), 5u);

    // No point in the box: a single blank on each label.
    show(others);
    for (char axis : {'X', 'Y', 'Z'}) {
        EXPECT_EQ(label(axis), " ") << axis;
    }

    // Clear: the list starts over with the first 256 shown points.
    button("toolButton_clear")->click();
    EXPECT_EQ(list().rowCount(), 0);
    EXPECT_FALSE(picking().selectionActive());
    MuchLidarData many;
    for (int i = 0; i < 300; ++i) {
        many.append(kLevelChannel, i * 0.5f, 30.0f, 7);
    }
    show(many);
    EXPECT_EQ(list().rowCount(), 256);
    EXPECT_EQ(list().text(255, 3), "127.500");
    EXPECT_EQ(label('Y'), " ");
}

TEST_F(Picking, TheRangeDialogShowsAndReplacesTheBox) {
    show(cluster);
    select(xyz(cluster));
    const SelectionBox picked = picking().box();
    button("toolButton_select_Range")->click();
    SelectPointRange& dialog = window.pointRangeWindow();
    ASSERT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.findChild<QLineEdit*>("lineEdit_Xmax")->text(),
              QString::number(picked.xMax, 'g', 6));
    const char* typed[][2] = {{"lineEdit_Xmin", "-10"}, {"lineEdit_Xmax", "10"},
                              {"lineEdit_Ymin", "-5"},  {"lineEdit_Ymax", "5"},
                              {"lineEdit_Zmin", "-2"},  {"lineEdit_Zmax", "3"}};
    for (const auto& t : typed) {
        dialog.findChild<QLineEdit*>(t[0])->setText(t[1]);
    }
    dialog.findChild<QPushButton*>("okButton")->click();
    dialog.close();
    const SelectionBox& box = picking().box();
    EXPECT_EQ(box.xMin, -10);
    EXPECT_EQ(box.yMax, 5);
    EXPECT_EQ(box.zMax, 3);
    EXPECT_TRUE(picking().selectionActive());
    MuchLidarData frame = cluster;
    append(frame, others);
    show(frame);
    EXPECT_EQ(window.lastConversion().inBox->size(), frame.size());
}

TEST_F(Picking, TheMouseTextTellsDistanceAndAzimuthOfThePointUnderIt) {
    // Looking straight down from 5 m, the plane z = 0 lies in focus, so the
    // point under the mouse has z = 0 where no point was drawn too.
    window.cloudView().viewer()->setCameraPosition(0, 0, 5, 0, 0, 0, 0, 1, 0);
    show(cluster);
    const QPoint p = onScreen(window, -1, 1, 0);
    vtkRenderWindowInteractor* interactor = window.cloudView().screen()->interactor();
    const qreal ratio = window.cloudView().screen()->devicePixelRatioF();
    interactor->SetEventPosition(qRound(p.x() * ratio),
                                 qRound((window.cloudView().screen()->height() - p.y()) * ratio));
    show(cluster);
    const QString text = window.mousePointOverlay().text();
    const QStringList parts = text.split(QRegularExpression("[: ]+"), Qt::SkipEmptyParts);
    ASSERT_EQ(parts.size(), 4) << text.toStdString();
    EXPECT_EQ(parts[0], "Distance");
    EXPECT_NEAR(parts[1].toDouble(), 1.414214, 0.01);
    EXPECT_NEAR(parts[3].toDouble(), 135, 0.5);
    EXPECT_EQ(parts[3].section('.', 1).size(), 6); // six decimals
    EXPECT_TRUE(window.cloudView().viewer()->contains(CloudView::kPointTextId));
}

namespace {

// The visualizer's own area pick of the frame cloud: its rubber band armed
// through its key, the drag, the indices its callback reports.
std::vector<int> visualizersPick(manwindow& window, QPoint from, QPoint to) {
    pcl::visualization::PCLVisualizer& viewer = *window.cloudView().viewer();
    vtkRenderWindowInteractor* interactor = window.cloudView().screen()->interactor();
    const auto pressX = [interactor] {
        interactor->SetKeyEventInformation(0, 0, 'x', 1, "x");
        interactor->InvokeEvent(vtkCommand::KeyPressEvent);
        interactor->InvokeEvent(vtkCommand::KeyReleaseEvent);
    };
    // Its frustum extraction keeps cell links of the clouds it went through
    // and reads them again after a cloud has changed: the highlighted cloud
    // goes first.
    viewer.removePointCloud(CloudView::kSelectedCloudId);
    std::vector<int> picked;
    boost::signals2::connection callback =
        viewer.registerAreaPickingCallback([&](const pcl::visualization::AreaPickingEvent& event) {
            picked = event.getPointsIndices(CloudView::kFrameCloudId);
        });
    pressX();
    drag(window.cloudView().screen(), from, to);
    if (vtkAreaPicker::SafeDownCast(interactor->GetPicker()) != nullptr) {
        pressX(); // still armed
    }
    callback.disconnect();
    return picked;
}

} // namespace

TEST_F(Picking, TheRectangleSelectsWhatTheVisualizersOwnAreaPickDoes) {
    // Points all round within 15 m, far more than the view has pixels:
    // many lie behind others.
    std::mt19937 random(5);
    MuchLidarData frame;
    for (int i = 0; i < 20000; ++i) {
        frame.append(static_cast<int>(random() % 128), static_cast<float>(random() % 36000) / 100,
                     static_cast<float>(100 + random() % 1400), 9);
    }
    show(frame);
    QWidget* view = window.cloudView().screen();
    const int w = view->width();
    const int h = view->height();
    struct Pose {
        const char* name;
        double eye[3], focal[3], up[3];
    };
    const Pose poses[] = {{"from above", {0, 0, 60}, {0, 0, 0}, {0, 1, 0}},
                          {"oblique", {25, -35, 20}, {0, 0, 0}, {0, 0, 1}},
                          {"inside the cloud", {0, 0, 1}, {10, 4, 0}, {0, 0, 1}}};
    struct Rectangle {
        const char* name;
        QPoint from, to;
        bool empty;
    };
    const Rectangle rectangles[] = {
        {"middle", {w * 3 / 10, h * 3 / 10}, {w * 6 / 10, h * 7 / 10}, false},
        {"over the edge of the view", {w * 7 / 10, h / 2}, {w + 40, h + 30}, false},
        {"one pixel wide", {w / 2, h / 5}, {w / 2, h * 4 / 5}, false},
        {"two pixels high", {w / 5, h / 2}, {w * 4 / 5, h / 2 + 1}, false}};
    for (const Pose& pose : poses) {
        window.cloudView().viewer()->setCameraPosition(pose.eye[0], pose.eye[1], pose.eye[2],
                                                       pose.focal[0], pose.focal[1], pose.focal[2],
                                                       pose.up[0], pose.up[1], pose.up[2]);
        window.cloudView().render();
        for (const Rectangle& r : rectangles) {
            SCOPED_TRACE(std::string(pose.name) + ", " + r.name);
            const std::vector<int> expected = visualizersPick(window, r.from, r.to);
            EXPECT_FALSE(expected.empty());
            button("toolButton_select")->click();
            drag(view, r.from, r.to);
            EXPECT_EQ(picking().pickedIndices(), expected);
            EXPECT_FALSE(picking().armed());
        }
    }

    // Beyond the cloud from above: nothing.
    window.cloudView().viewer()->setCameraPosition(0, 0, 60, 0, 0, 0, 0, 1, 0);
    window.cloudView().render();
    const QPoint corner(8, 8);
    const QPoint nearCorner(w / 8, h / 8);
    ASSERT_TRUE(visualizersPick(window, corner, nearCorner).empty());
    button("toolButton_select")->click();
    drag(view, corner, nearCorner);
    EXPECT_TRUE(picking().pickedIndices().empty());
}

TEST_F(Picking, ADragThatCatchesNothingEmptiesTheListAndSelectShowsItIsOff) {
    MuchLidarData frame = cluster;
    append(frame, others);
    show(frame);
    QToolButton* selectButton = button("toolButton_select");
    EXPECT_FALSE(selectButton->isChecked());
    selectButton->click();
    EXPECT_TRUE(selectButton->isChecked());
    dragAround(window, xyz(cluster));
    ASSERT_TRUE(waitUntil([this] { return !picking().armed(); }));
    EXPECT_FALSE(selectButton->isChecked());
    ASSERT_EQ(list().rowCount(), 3);

    // x arms as the button does, and the button shows it.
    QTest::keyClick(screen(), Qt::Key_X);
    EXPECT_TRUE(picking().armed());
    EXPECT_TRUE(selectButton->isChecked());
    // A drag over empty space, away from every point.
    const QPoint corner(8, 8);
    ASSERT_TRUE(visualizersPick(window, corner, corner + QPoint(30, 30)).empty());
    drag(screen(), corner, corner + QPoint(30, 30));
    EXPECT_FALSE(picking().armed());
    EXPECT_FALSE(selectButton->isChecked());
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
    EXPECT_FALSE(picking().selectionActive());
    EXPECT_EQ(list().rowCount(), 0);
    for (char axis : {'X', 'Y', 'Z'}) {
        EXPECT_EQ(label(axis), " ") << axis;
    }

    // One press arms again, and the next drag selects.
    select(xyz(cluster));
    EXPECT_EQ(picking().selectedCount(), 3);
    EXPECT_EQ(list().rowCount(), 3);
}

TEST_F(Picking, TheRubberBandShowsWhileFramesArrive) {
    MuchLidarData frame = cluster;
    append(frame, others);
    show(frame);
    // A rectangle over the empty middle of the ring, dragged but not let go.
    const QRect band(onScreen(window, -0.1, -0.1, 0), onScreen(window, 0.1, 0.1, 0));
    const QRect rectangle = band.normalized();
    ASSERT_GT(rectangle.width(), 20);
    button("toolButton_select")->click();
    const auto send = [this](QEvent::Type type, QPoint p, Qt::MouseButton button) {
        QMouseEvent e(type, p, screen()->mapToGlobal(p), button, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(screen(), &e);
    };
    send(QEvent::MouseButtonPress, rectangle.topLeft(), Qt::LeftButton);
    send(QEvent::MouseMove, rectangle.bottomRight(), Qt::NoButton);
    const std::uint64_t drawn = window.drawing().framesDrawn();
    for (int n = 0; n < 3; ++n) {
        show(frame);
    }
    ASSERT_GE(window.drawing().framesDrawn(), drawn + 3);

    // What the screen shows: the band's outline all round, over the view's
    // black background.
    const QPoint origin = screen()->mapTo(&window, rectangle.topLeft());
    const QImage shot = window.screen()
                            ->grabWindow(window.winId(), origin.x(), origin.y(), rectangle.width(),
                                         rectangle.height())
                            .toImage();
    int outline = 0;
    int lit = 0;
    for (int x = 0; x < shot.width(); ++x) {
        for (int y : {0, shot.height() - 1}) {
            ++outline;
            lit += shot.pixelColor(x, y).value() > 60 ? 1 : 0;
        }
    }
    EXPECT_GT(lit, outline * 9 / 10) << lit << " of " << outline;
    send(QEvent::MouseButtonRelease, rectangle.bottomRight(), Qt::LeftButton);
    EXPECT_FALSE(picking().band().has_value());
}

TEST_F(Picking, TheListKeepsItsWidthsAndHoldsExactlyTheSelectionAcrossFrames) {
    auto* table = child<QTableView>("tableView");
    table->horizontalHeader()->resizeSection(0, 95); // as the user drags it
    std::vector<int> widths;
    for (int c = 0; c < 6; ++c) {
        widths.push_back(table->columnWidth(c));
    }
    const auto expectWidthsKept = [&] {
        for (int c = 0; c < 6; ++c) {
            EXPECT_EQ(table->columnWidth(c), widths[c]) << c;
        }
    };
    // Points about 123 m out on the level channel.
    const auto far = [](std::initializer_list<float> azimuths, int intensity) {
        MuchLidarData f;
        for (float a : azimuths) {
            f.append(kLevelChannel, a, 12345.6f, intensity);
        }
        return f;
    };
    const auto select = [&](const MuchLidarData& frame, const MuchLidarData& picked) {
        show(frame);
        button("toolButton_select")->click();
        dragAround(window, xyz(picked));
        ASSERT_TRUE(picking().selectionActive());
    };

    // First selection: six points.
    MuchLidarData six = far({30.0f, 30.2f, 30.4f, 30.6f, 30.8f, 31.0f}, 1);
    MuchLidarData frame = six;
    append(frame, far({120.0f, 210.0f}, 9));
    select(frame, six);
    ASSERT_EQ(list().rowCount(), 6);
    expectWidthsKept();

    // A frame with two of them left: two rows, nothing of the six below.
    MuchLidarData fewer = far({30.0f, 31.0f}, 2);
    append(fewer, far({120.0f}, 9));
    show(fewer);
    EXPECT_EQ(list().rowCount(), 2);
    EXPECT_EQ(list().text(1, 4), "2.0000");
    expectWidthsKept();

    // Second and third selection on new frames.
    MuchLidarData three = far({60.0f, 60.3f, 60.6f}, 3);
    frame = three;
    append(frame, far({200.0f}, 9));
    select(frame, three);
    EXPECT_EQ(list().rowCount(), 3);
    MuchLidarData one = far({90.0f}, 4);
    select(one, one);
    ASSERT_EQ(list().rowCount(), 1);
    expectWidthsKept();

    // Every cell whole, the distance of 123 m too.
    EXPECT_EQ(list().text(0, 2).left(7), "123.455"); // 12345.6 cm as a float, over 100
    EXPECT_EQ(list().text(0, 2).size(), 12);
    const QFontMetrics metrics(table->font());
    const int margins =
        2 * (table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1);
    for (int c = 0; c < 6; ++c) {
        EXPECT_LE(metrics.horizontalAdvance(list().text(0, c)) + margins, table->columnWidth(c))
            << list().text(0, c).toStdString();
    }
}
