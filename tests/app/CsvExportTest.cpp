#include "FileDialogAnswer.h"
#include "PickingHelpers.h"
#include "WindowFixture.h"

#include "app/AreaPicking.h"
#include "app/CsvExport.h"
#include "app/PlaybackBar.h"
#include "dialogs/SaveData.h"
#include "lidar/DataListModel.h"
#include "support/TestCaptureWriter.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QStatusBar>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <pcl/visualization/pcl_visualizer.h>
#include <vtkDataSet.h>
#include <vtkMapper.h>

namespace {

// A frame whose points differ from frame to frame: channels of every group
// (each the first of its four, whose height does not depend on the
// azimuth), some distances 0, azimuths all round.
MuchLidarData frameNumber(int n, int points = 300) {
    MuchLidarData f;
    for (int i = 0; i < points; ++i) {
        const float distance = i % 17 == 0 ? 0.0f : 100.0f + static_cast<float>(i * n % 5000);
        f.append(4 * ((i * 5 + n) % 32), static_cast<float>((i * 37 + n * 11) % 36000) / 100.0f,
                 distance, (i + n) % 256);
    }
    return f;
}

// A ring of WindowFixture's as the receiver decodes it.
MuchLidarData ringFrame(int count) {
    MuchLidarData f;
    for (const RingPoint& p : ring(count)) {
        f.append(p.channel, static_cast<float>(p.azimuthRaw) / 100.0f,
                 static_cast<float>(p.distanceRaw) / 256.0f, p.intensity);
    }
    return f;
}

std::string fileText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string("(unreadable)");
}

// A point expected in a file: the number of its frame in a multi-frame
// export (0 in a single-frame file) and the point as the frame holds it.
struct ExpectedRow {
    int frame = 0;
    int channel = 0;
    float azimuth = 0;
    float distanceCm = 0;
    int intensity = 0;
};

// The points of `frames` that an export with these settings writes, in the
// order it writes them: by frame, by channel, then as stored.
std::vector<ExpectedRow> exportedRows(const std::vector<MuchLidarData>& frames, bool evenGroupsOnly,
                                      float minAngle, float maxAngle) {
    std::vector<ExpectedRow> rows;
    for (std::size_t n = 0; n < frames.size(); ++n) {
        const MuchLidarData& f = frames[n];
        for (int c = 0; c < 128; ++c) {
            for (std::size_t i = 0; i < f.size(); ++i) {
                const bool inGroups = !evenGroupsOnly || (c / 4) % 2 == 0;
                if (f.laserIds[i] == c && inGroups && f.azimuths[i] >= minAngle &&
                    f.azimuths[i] <= maxAngle) {
                    rows.push_back({static_cast<int>(n + 1), c, f.azimuths[i], f.distances[i],
                                    f.intensities[i]});
                }
            }
        }
    }
    return rows;
}

// Compares a CSV file with the rows expected, each field within the six
// significant digits it is written with. x, y and z come from the sensor's
// geometry for channels whose height does not depend on the azimuth: a
// distance d at elevation e and azimuth a, degrees converted with 3.14159.
void expectCsv(const std::string& text, bool multiFrame, const std::vector<ExpectedRow>& rows) {
    const QStringList lines = QString::fromStdString(text).split('\n');
    ASSERT_EQ(lines.size(), static_cast<int>(rows.size()) + 2)
        << text.substr(0, 300); // header, final end of line
    EXPECT_EQ(lines[0], QString(multiFrame ? "FrameNumbers," : "") +
                            "Points_X,Points_Y,Points_Z,Laser_id,Azimuth,Distance,Intensity");
    EXPECT_EQ(lines.back(), "");
    const auto near = [](double actual, double expected) {
        return std::abs(actual - expected) <= 1e-5 + 1e-5 * std::abs(expected);
    };
    constexpr double kDegree = 3.14159 / 180;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const ExpectedRow& e = rows[r];
        ASSERT_EQ(e.channel % 4, 0) << "a channel whose height depends on the azimuth";
        QStringList fields = lines[static_cast<int>(r) + 1].split(',');
        SCOPED_TRACE("row " + std::to_string(r + 1) + ": " + fields.join(',').toStdString());
        ASSERT_EQ(fields.size(), multiFrame ? 8 : 7);
        if (multiFrame) {
            EXPECT_EQ(fields.takeFirst(), QString::number(e.frame));
        }
        const double metres = e.distanceCm / 100.0;
        const double elevation = (e.channel / 4 - 17) * kDegree;
        const double across = metres * std::cos(elevation);
        EXPECT_PRED2(near, fields[0].toDouble(), across * std::cos(e.azimuth * kDegree));
        EXPECT_PRED2(near, fields[1].toDouble(), across * std::sin(e.azimuth * kDegree));
        EXPECT_PRED2(near, fields[2].toDouble(), metres * std::sin(elevation));
        EXPECT_EQ(fields[3], QString::number(e.channel));
        EXPECT_PRED2(near, fields[4].toDouble(), e.azimuth);
        EXPECT_PRED2(near, fields[5].toDouble(), metres);
        EXPECT_EQ(fields[6], QString::number(e.intensity));
    }
}

class CsvExporting : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        ASSERT_TRUE(startLive());
    }

    void queue(const MuchLidarData& frame) {
        QMetaObject::invokeMethod(&window, "CalculateMuch", Qt::QueuedConnection,
                                  Q_ARG(MuchLidarData, frame));
    }
    void show(const MuchLidarData& frame) {
        const std::uint64_t delivered = window.framesDelivered();
        queue(frame);
        ASSERT_TRUE(waitForDrawn(delivered, 1));
    }

    // SaveData with these fields, then "Ok" and the file dialog.
    void startExport(const QString& path, const char* frames, bool evenGroupsOnly = false,
                     const char* maxAngle = "180", const char* minAngle = "0") {
        fillExportSettings(frames, evenGroupsOnly, maxAngle, minAngle);
        confirmExport(path, frames);
    }
    void fillExportSettings(const char* frames, bool evenGroupsOnly, const char* maxAngle,
                            const char* minAngle = "0") {
        button("toolButton_4")->click();
        SaveData& dialog = window.saveDataWindow();
        ASSERT_TRUE(dialog.isVisible());
        dialog.findChild<QLineEdit*>("lineEdit_DataFrameNum")->setText(frames);
        dialog.findChild<QLineEdit*>("lineEdit_MinAngle")->setText(minAngle);
        dialog.findChild<QLineEdit*>("lineEdit_MaxAngle")->setText(maxAngle);
        if (evenGroupsOnly) {
            dialog.findChild<QPushButton*>("pushButton_toggleselection")->click();
        }
    }
    void confirmExport(const QString& path, const char* frames) {
        FileDialogAnswer answer(path);
        window.saveDataWindow().findChild<QPushButton*>("pushButton_OK")->click();
        EXPECT_EQ(answer.asked, 1);
        EXPECT_EQ(answer.caption, "Save CSV");
        EXPECT_TRUE(QRegularExpression(
                        QStringLiteral("^Vantor_\\d{4}-\\d\\d-\\d\\d-\\d\\d-\\d\\d_%1Frame\\.csv$")
                            .arg(frames))
                        .match(answer.proposedName)
                        .hasMatch())
            << answer.proposedName.toStdString();
    }

    // The statistics labels' texts.
    QStringList labels() {
        QStringList texts;
        for (const char* name : {"statusLabelX", "statusLabelY", "statusLabelZ"}) {
            texts << child<QLabel>(name)->text();
        }
        return texts;
    }
    vtkIdType pointsDrawn(const char* cloud) {
        const auto& actors = *window.cloudView().viewer()->getCloudActorMap();
        const auto it = actors.find(cloud);
        return it == actors.end() ? 0
                                  : it->second.actor->GetMapper()->GetInput()->GetNumberOfPoints();
    }

    QTemporaryDir dir;
    ChannelGeometry geometry;
};

} // namespace

TEST_F(CsvExporting, TheSuspendedFrameIsSavedWholeGroupedByChannel) {
    // Level points straight ahead (channel 68), one of them at distance 0,
    // and a channel-72 point that arrives first but is written last.
    MuchLidarData shown;
    shown.append(72, 0.0f, 0.0f, 2);
    shown.append(68, 0.0f, 250.0f, 7);
    shown.append(68, 0.0f, 0.0f, 3);
    shown.append(68, 0.0f, 1234.5f, 9);
    // A multi-frame export before keeps none of them (odd group, azimuth
    // below 10): the single-frame save must not take its filter over.
    startExport(dir.filePath("before.csv"), "1", true, "90", "10");
    show(frameNumber(1));
    ASSERT_FALSE(window.csvExport().active());
    show(shown);
    window.channelSelection().laserSelected[68] = 0; // the save ignores the channel selection
    button("tolbtn_SuspendData")->click();
    show(frameNumber(2)); // dropped: the display is suspended

    const QString path = dir.filePath(QString::fromUtf8("frame é.csv"));
    {
        FileDialogAnswer answer(path);
        button("toolButton_4")->click();
        EXPECT_EQ(answer.caption, "Save CSV");
        EXPECT_TRUE(QRegularExpression("^Vantor_\\d{4}(-\\d\\d){5}\\.csv$")
                        .match(answer.proposedName)
                        .hasMatch())
            << answer.proposedName.toStdString();
    }
    EXPECT_FALSE(window.saveDataWindow().isVisible());
    const std::string expected = "Points_X,Points_Y,Points_Z,Laser_id,Azimuth,Distance,Intensity\n"
                                 "2.5,0,0,68,0,2.5,7\n"
                                 "0,0,0,68,0,0,3\n"
                                 "12.345,0,0,68,0,12.345,9\n"
                                 "0,0,0,72,0,0,2\n";
    EXPECT_EQ(fileText(path), expected);
    EXPECT_EQ(window.statusBar()->currentMessage(),
              QString::fromUtf8("frame é.csv: 1 frame, 4 rows written"));

    // Cancelling the dialog writes nothing.
    FileDialogAnswer cancel{QString()};
    button("toolButton_4")->click();
    EXPECT_EQ(cancel.asked, 1);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

TEST_F(CsvExporting, EveryFrameOfAnExportIsWrittenThoughNotDrawnAndItStopsByItself) {
    // Before the export: a frame drawn and listed, statistics of a box.
    window.areaPicking().setBox({-100, 100, -100, 100, -100, 100});
    show(frameNumber(9));
    const QString firstRow = window.dataListModel()->text(0, 1);
    ASSERT_NE(labels()[0], " ");

    const QString path = dir.filePath("run.csv");
    startExport(path, "4", true, "90", "10");
    ASSERT_TRUE(window.csvExport().active());

    // An exported frame leaves the view's clouds empty, the list as it was
    // and a blank on each label.
    std::vector<MuchLidarData> frames;
    for (int n = 1; n <= 6; ++n) {
        frames.push_back(frameNumber(n));
    }
    show(frames[0]);
    EXPECT_EQ(pointsDrawn(CloudView::kFrameCloudId), 0);
    EXPECT_EQ(pointsDrawn(CloudView::kSelectedCloudId), 0);
    EXPECT_EQ(labels(), QStringList({" ", " ", " "}));
    EXPECT_EQ(window.dataListModel()->text(0, 1), firstRow);

    // The other five queued at once: far faster than they are drawn.
    const std::uint64_t delivered = window.framesDelivered();
    const std::uint64_t drawn = window.drawing().framesDrawn();
    for (std::size_t n = 1; n < frames.size(); ++n) {
        queue(frames[n]);
    }
    ASSERT_TRUE(waitForDrawn(delivered, 5));
    EXPECT_LT(window.drawing().framesDrawn() - drawn, 5u);
    EXPECT_FALSE(window.csvExport().active());
    EXPECT_EQ(window.csvExport().exportedFrames(), 4);
    window.csvExport().finish(); // waits for the writer

    const std::vector<ExpectedRow> rows =
        exportedRows({frames.begin(), frames.begin() + 4}, true, 10, 90);
    expectCsv(fileText(path), true, rows);
    // Said once the last frame is in the file.
    EXPECT_TRUE(waitUntil([&] { return !window.statusBar()->currentMessage().isEmpty(); }));
    EXPECT_EQ(window.statusBar()->currentMessage(),
              QStringLiteral("run.csv: 4 frames, %1 rows written").arg(rows.size()));
    // The frame after the export is drawn again.
    EXPECT_EQ(window.lastFrameReceived(), frames[5]);
    EXPECT_GT(pointsDrawn(CloudView::kFrameCloudId), 0);
    EXPECT_NE(labels()[0], " ");
}

TEST_F(CsvExporting, ASecondExportOrASaveWhileOneRunsIsRefused) {
    const QString path = dir.filePath("running.csv");
    startExport(path, "3");
    show(frameNumber(1));

    ModalCatcher boxes;
    button("toolButton_4")->click(); // a second export
    button("tolbtn_SuspendData")->click();
    button("toolButton_4")->click(); // a single-frame save
    button("tolbtn_SuspendData")->click();
    ASSERT_EQ(boxes.boxes.size(), 2u);
    for (const auto& box : boxes.boxes) {
        EXPECT_EQ(box.title, "Tips");
        EXPECT_TRUE(box.text.contains("1 of 3 frames")) << box.text.toStdString();
    }
    EXPECT_FALSE(window.saveDataWindow().isVisible());

    show(frameNumber(2));
    show(frameNumber(3));
    window.csvExport().finish();
    expectCsv(fileText(path), true,
              exportedRows({frameNumber(1), frameNumber(2), frameNumber(3)}, false, 0, 180));
}

TEST_F(CsvExporting, FilesThatCannotBeWrittenAreReportedWithPathAndReason) {
    ModalCatcher boxes;
    const QString missing = dir.filePath("no/such/folder/x.csv");
    startExport(missing, "2");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].title, "Tips");
    EXPECT_TRUE(boxes.boxes[0].text.contains(missing + ": No such file or directory"))
        << boxes.boxes[0].text.toStdString();
    EXPECT_FALSE(window.csvExport().active());

    if (!QFile::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full to fill";
    }
    startExport("/dev/full", "5");
    show(frameNumber(1));
    ASSERT_TRUE(waitUntil([&] { return boxes.boxes.size() >= 2; }))
        << "no box after the first; export active: " << window.csvExport().active();
    EXPECT_EQ(boxes.boxes.size(), 2u) << boxes.boxes.back().text.toStdString();
    EXPECT_TRUE(boxes.boxes[1].text.contains("/dev/full: No space left on device"))
        << boxes.boxes[1].text.toStdString();
    EXPECT_FALSE(window.csvExport().active());
    // Frames draw again.
    show(frameNumber(2));
    EXPECT_GT(window.lastConversion().shown->size(), 0u);
}

TEST_F(CsvExporting, ClosingTheWindowKeepsEveryFrameWrittenSoFarUnderThePartName) {
    const QString path = dir.filePath("closed.csv");
    startExport(path, "10");
    show(frameNumber(1));
    show(frameNumber(2));
    window.close();
    expectCsv(fileText(path + ".part"), true,
              exportedRows({frameNumber(1), frameNumber(2)}, false, 0, 180));
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(CsvExporting, AnExportEndsWithItsSourceAndSaysHowManyOfItsFramesItHas) {
    const auto message = [this] { return window.statusBar()->currentMessage(); };
    // A live receiver stopped (here by pressing "Lidar" again) after two of
    // five frames.
    const QString live = dir.filePath("live.csv");
    startExport(live, "5");
    show(frameNumber(1));
    show(frameNumber(2));
    EXPECT_FALSE(QFile::exists(live));
    button("toolButton_Lidar")->click();
    ASSERT_TRUE(waitUntil([&] { return message().endsWith("stopped"); }, 30000))
        << message().toStdString();
    EXPECT_EQ(message(), "live.csv: 2 of 5 frames written: stopped");
    EXPECT_FALSE(window.csvExport().active());
    expectCsv(fileText(live), true, exportedRows({frameNumber(1), frameNumber(2)}, false, 0, 180));
    EXPECT_FALSE(QFile::exists(live + ".part"));

    // A capture of three frames played into an export of ten.
    const QString capture = dir.filePath("three.pcap");
    {
        TestCaptureWriter writer(capture.toStdString(), {});
        for (const auto& p : payloadsOf({ring(100), ring(200), ring(300)})) {
            writer.writePayload(p.data());
        }
    }
    // It opens paused at frame 1 (nothing comes before the first marker);
    // the export is asked for while it plays, held at frame 2, and gets
    // frame 3 before the capture ends.
    ASSERT_TRUE(window.playbackControl().openCapture(capture));
    ASSERT_TRUE(waitUntil([&] { return button("toolButton_Play")->isEnabled(); }));
    holdPlayerAt(2);
    button("toolButton_Play")->click();
    ASSERT_TRUE(waitUntil([&] { return window.playbackPosition().currentFrame == 2; }));
    const QString played = dir.filePath("played.csv");
    startExport(played, "10");
    ASSERT_TRUE(window.csvExport().active());
    window.offlinePlayerThread().releaseGate();
    ASSERT_TRUE(waitUntil([&] { return message().endsWith("the capture ended"); }, 60000))
        << message().toStdString();
    EXPECT_FALSE(window.csvExport().active());
    EXPECT_EQ(window.csvExport().framesWritten(), 1);
    EXPECT_EQ(message(), "played.csv: 1 of 10 frames written: the capture ended");
    expectCsv(fileText(played), true, exportedRows({ringFrame(300)}, false, 0, 180));
    EXPECT_FALSE(QFile::exists(played + ".part"));
}

TEST_F(CsvExporting, BothExportsKeepToTheSelectionBox) {
    MuchLidarData frame;
    for (float a : {30.0f, 30.5f, 31.0f, 120.0f, 200.0f}) {
        frame.append(68, a, 20.0f, 9);
    }
    frame.append(68, 30.5f, 20.0f, 0); // inside too, after the others
    show(frame);
    button("toolButton_select")->click();
    std::vector<PointXyz> picked;
    for (float a : {30.0f, 30.5f, 31.0f}) {
        picked.push_back(geometry.point(68, a, 20.0f));
    }
    dragAround(window, picked);
    ASSERT_TRUE(window.areaPicking().selectionActive());
    // The picked points and the one on the same spot; their box has the
    // first and the third on its faces.
    std::vector<ExpectedRow> inBox;
    for (std::size_t i : {0, 1, 2, 5}) {
        inBox.push_back({1, 68, frame.azimuths[i], 20.0f, frame.intensities[i]});
    }

    // The export window says so while the box is there.
    const auto note = [this] {
        return window.saveDataWindow().findChild<QLabel*>("label_SelectionBox");
    };
    ASSERT_NE(note(), nullptr);
    const QString multi = dir.filePath("multi.csv");
    fillExportSettings("1", false, "360");
    EXPECT_TRUE(note()->isVisible());
    EXPECT_TRUE(note()->text().contains("only the points inside it"))
        << note()->text().toStdString();
    confirmExport(multi, "1");
    show(frame);
    window.csvExport().finish();
    expectCsv(fileText(multi), true, inBox);

    button("tolbtn_SuspendData")->click();
    const QString single = dir.filePath("single.csv");
    {
        FileDialogAnswer answer(single);
        button("toolButton_4")->click();
    }
    expectCsv(fileText(single), false, inBox);

    // Without the box, whole frames again, and no note.
    button("tolbtn_SuspendData")->click();
    button("toolButton_clear")->click();
    fillExportSettings("1", false, "360");
    EXPECT_FALSE(note()->isVisible());
}

TEST_F(CsvExporting, AnExportOfAPlayedCaptureMatchesTheCommandLineExport) {
    const QString bin = qEnvironmentVariable("VANTOR_BIN_DIR");
    const QString capture = dir.filePath("street.pcap");
    QProcess sim;
    sim.start(bin + "/sensor-sim",
              {"--quiet", "--step", "1", "--frames", "10", "--write-pcap", capture});
    ASSERT_TRUE(sim.waitForFinished(30000));
    ASSERT_EQ(sim.exitCode(), 0) << sim.readAllStandardError().toStdString();

    // The capture opens at its first whole frame (nothing comes before the
    // first marker). Played to frame 3 and paused there; the export, whose
    // settings were entered while playing (paused, SaveData saves the frame
    // on screen), starts behind it.
    ASSERT_TRUE(window.playbackControl().openCapture(capture));
    ASSERT_TRUE(waitUntil([&] { return button("toolButton_Play")->isEnabled(); }));
    const int played = 3;
    holdPlayerAt(played);
    button("toolButton_Play")->click();
    fillExportSettings("3", true, "90");
    ASSERT_TRUE(waitUntil([&] { return window.playbackPosition().currentFrame == played; }));
    button("toolButton_Play")->click();
    const QString gui = dir.filePath("gui.csv");
    confirmExport(gui, "3");
    button("toolButton_Play")->click();
    ASSERT_TRUE(waitUntil([this] { return !window.csvExport().active(); }, 60000));
    window.csvExport().finish();

    QStringList evenChannels;
    for (int g = 0; g < 32; g += 2) {
        evenChannels << QString("%1-%2").arg(4 * g).arg(4 * g + 3);
    }
    const QString tool = dir.filePath("tool.csv");
    QProcess exporter;
    // The command line numbers the frames as the player does, from the
    // first marker.
    exporter.start(bin + "/lidar-export", {"--quiet", "--skip", QString::number(played), "--frames",
                                           "3", "--channels", evenChannels.join(','), "--min-angle",
                                           "0", "--max-angle", "90", capture, tool});
    ASSERT_TRUE(exporter.waitForFinished(30000));
    ASSERT_EQ(exporter.exitCode(), 0) << exporter.readAllStandardError().toStdString();
    const std::string fromTool = fileText(tool);
    EXPECT_GT(fromTool.size(), 1000u);
    const std::string fromGui = fileText(gui);
    if (fromGui != fromTool) {
        const auto mismatch =
            std::mismatch(fromGui.begin(), fromGui.end(), fromTool.begin(), fromTool.end());
        const auto at = static_cast<std::size_t>(mismatch.first - fromGui.begin());
        ADD_FAILURE() << "the files differ at byte " << at << " of " << fromGui.size() << " and "
                      << fromTool.size() << ":\n"
                      << fromGui.substr(at > 200 ? at - 200 : 0, 400) << "\n----\n"
                      << fromTool.substr(at > 200 ? at - 200 : 0, 400);
    }
}
