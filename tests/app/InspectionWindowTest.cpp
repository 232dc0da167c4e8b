// The range image, the ruler and the frame trail as the window wires them.
#include "PickingHelpers.h"
#include "WindowFixture.h"

#include "app/AreaPicking.h"
#include "app/InspectionTools.h"
#include "app/RangeImagePanel.h"
#include "app/RulerTool.h"
#include "app/TrailView.h"
#include "app/WindowSettings.h"

#include <QProcess>
#include <QSpinBox>
#include <QStatusBar>

namespace {

constexpr int kLevelChannel = 68;

// Points of the level channel at the given azimuths, `distance` cm out.
MuchLidarData levelPoints(std::initializer_list<float> azimuths, float distance) {
    MuchLidarData f;
    for (float a : azimuths) {
        f.append(kLevelChannel, a, distance, 100);
    }
    return f;
}

class InspectionWindow : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        ASSERT_TRUE(startLive());
    }

    std::vector<std::string> cloudIds() {
        std::vector<std::string> ids;
        for (const auto& [id, actor] : *window.cloudView().viewer()->getCloudActorMap()) {
            ids.push_back(id);
        }
        std::sort(ids.begin(), ids.end());
        return ids;
    }

    InspectionTools& tools() { return window.inspectionTools(); }
    ChannelGeometry geometry;
};

} // namespace

TEST_F(InspectionWindow, ATrailKeepsOlderFramesWhilePickingTakesTheNewestAlone) {
    const MuchLidarData older = levelPoints({30.0f, 30.5f, 31.0f}, 20.0f);
    const MuchLidarData newest = levelPoints({30.25f, 30.75f}, 21.0f);

    // Off, the view holds the frame alone, as it always did.
    show(older);
    show(newest);
    EXPECT_EQ(cloudIds(), (std::vector<std::string>{"clicked_points", "realTime_points"}));

    child<QSpinBox>("spinBox_Trail")->setValue(3);
    for (const MuchLidarData* f : {&older, &older, &older, &newest}) {
        show(*f);
    }
    EXPECT_EQ(tools().trail().framesShown(), 3);
    EXPECT_EQ(cloudIds().size(), 4u); // two older frames beside the two of today

    // A rectangle around every frame's points picks the newest frame's.
    std::vector<PointXyz> all;
    for (const MuchLidarData* f : {&older, &newest}) {
        for (std::size_t i = 0; i < f->size(); ++i) {
            all.push_back(geometry.point(f->laserIds[i], f->azimuths[i], f->distances[i]));
        }
    }
    button("toolButton_select")->click();
    ASSERT_TRUE(window.areaPicking().armed());
    dragAround(window, all);
    ASSERT_TRUE(waitUntil([this] { return !window.areaPicking().armed(); }));
    EXPECT_EQ(window.areaPicking().selectedCount(), 2);
    const PointXyz first = geometry.point(kLevelChannel, 30.25f, 21.0f);
    EXPECT_EQ(window.areaPicking().box().xMax, first.x);

    // The setting is kept with the others; 1 is the newest frame alone.
    EXPECT_EQ(window.windowSettings().shown().trail, 3);
    child<QSpinBox>("spinBox_Trail")->setValue(1);
    EXPECT_EQ(cloudIds(), (std::vector<std::string>{"clicked_points", "realTime_points"}));
}

TEST_F(InspectionWindow, TheRulerFollowsItsButtonAndMAndClearTakesItsLine) {
    const MuchLidarData frame = levelPoints({10.0f, 60.0f}, 20.0f);
    show(frame);
    button("toolButton_Ruler")->click();
    RulerTool& ruler = tools().ruler();
    ASSERT_TRUE(ruler.active());
    for (std::size_t i = 0; i < frame.size(); ++i) {
        const PointXyz p = geometry.point(kLevelChannel, frame.azimuths[i], frame.distances[i]);
        QTest::mouseClick(screen(), Qt::LeftButton, Qt::NoModifier, onScreen(window, p.x, p.y, 0));
    }
    ASSERT_TRUE(ruler.figures());
    // Two points 20 cm out, 50° apart: a chord of 2 * 0.2 * sin(25°).
    EXPECT_NEAR(ruler.figures()->distance, 0.169047, 1e-4);
    EXPECT_TRUE(window.statusBar()->currentMessage().startsWith("Ruler: 0.169 m"));

    button("toolButton_clear")->click();
    EXPECT_TRUE(ruler.points().empty());
    QTest::keyClick(screen(), Qt::Key_M);
    EXPECT_FALSE(ruler.active());
    EXPECT_FALSE(button("toolButton_Ruler")->isChecked());
}

TEST_F(InspectionWindow, TheRangeImageShowsEachChannelOfASimulatedSensor) {
    button("toolButton_RangeImage")->click();
    auto* dock = child<RangeImagePanel>("RangeImageDock");
    ASSERT_TRUE(dock->isVisible());

    QProcess simulator;
    simulator.start(qEnvironmentVariable("VANTOR_BIN_DIR") + "/sensor-sim",
                    {"--quiet", "--step", "0.4", "--rate", "10", "--port",
                     QString::number(boundPort()), "--seconds", "30"});
    ASSERT_TRUE(simulator.waitForStarted(30000));
    const RangeImage& image = dock->image();
    const auto rowsWithReturns = [&] {
        int rows = 0;
        for (int row = 0; row < image.rows(); ++row) {
            for (int column = 0; column < image.columns(); ++column) {
                if (image.pointAt(column, row) >= 0) {
                    ++rows;
                    break;
                }
            }
        }
        return rows;
    };
    EXPECT_TRUE(
        waitUntil([&] { return image.columns() == 900 && rowsWithReturns() == 128; }, 30000))
        << image.columns() << " columns, " << rowsWithReturns() << " rows with returns";
    simulator.kill();
    simulator.waitForFinished();

    // Closing the dock lets go of the button; drawing stops with it.
    dock->close();
    EXPECT_FALSE(button("toolButton_RangeImage")->isChecked());
}
