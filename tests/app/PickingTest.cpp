#include "PickingHelpers.h"
#include "WindowFixture.h"

#include "app/AreaPicking.h"
#include "app/MousePointOverlay.h"
#include "dialogs/SelectPointRange.h"
#include "lidar/ChannelGeometry.h"

#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QStatusBar>
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
    QStandardItemModel& list() { return *window.dataListModel(); }

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
    // Pressing again disarms.
    button("toolButton_select")->click();
    EXPECT_FALSE(picking().armed());
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);

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

    vtkPolyData* blue = cloudData(window, CloudView::kSelectedCloudId);
    ASSERT_NE(blue, nullptr);
    ASSERT_EQ(blue->GetNumberOfPoints(), 3);
    auto* colours = vtkUnsignedCharArray::SafeDownCast(blue->GetPointData()->GetScalars());
    ASSERT_NE(colours, nullptr);
    EXPECT_EQ(colours->GetComponent(2, 0), 0);
    EXPECT_EQ(colours->GetComponent(2, 2), 255);

    ASSERT_EQ(list().rowCount(), 3);
    EXPECT_EQ(list().item(0, 3)->text(), "30.000");
    EXPECT_EQ(list().item(2, 4)->text(), "12.0000");
    EXPECT_EQ(list().item(2, 5)->text(), "68.0000");
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
    EXPECT_EQ(list().item(0, 4)->text(), "100.0000");
    EXPECT_EQ(list().item(1, 4)->text(), "101.0000");
    EXPECT_EQ(list().item(2, 4)->text(), "12.0000");
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
    EXPECT_EQ(list().item(255, 3)->text(), "127.500");
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
