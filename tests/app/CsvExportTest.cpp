#include "FileDialogAnswer.h"
#include "PickingHelpers.h"
#include "WindowFixture.h"

#include "app/AreaPicking.h"
#include "app/CsvExport.h"
#include "app/PlaybackBar.h"
#include "dialogs/SaveData.h"
#include "lidar/CsvRowWriter.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <algorithm>

namespace {

// A frame whose points differ from frame to frame: channels mixed, some
// distances 0, azimuths all round.
MuchLidarData frameNumber(int n, int points = 3000) {
    MuchLidarData f;
    for (int i = 0; i < points; ++i) {
        const float distance = i % 17 == 0 ? 0.0f : 100.0f + static_cast<float>(i * n % 5000);
        f.append((i * 5 + n) % 128, static_cast<float>((i * 37 + n * 11) % 36000) / 100.0f,
                 distance, (i + n) % 256);
    }
    return f;
}

// The lines of a CSV text after its header.
long rowsOf(const std::string& text) {
    return static_cast<long>(std::count(text.begin(), text.end(), '\n')) - 1;
}

std::string fileText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string("(unreadable)");
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
                     const char* maxAngle = "180") {
        fillExportSettings(frames, evenGroupsOnly, maxAngle);
        confirmExport(path, frames);
    }
    void fillExportSettings(const char* frames, bool evenGroupsOnly, const char* maxAngle) {
        button("toolButton_4")->click();
        SaveData& dialog = window.saveDataWindow();
        ASSERT_TRUE(dialog.isVisible());
        dialog.findChild<QLineEdit*>("lineEdit_DataFrameNum")->setText(frames);
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

    // What the multi-frame file of these frames holds.
    std::string expectedExport(const std::vector<MuchLidarData>& frames,
                               const CsvExportFilter& filter) {
        CsvRowWriter writer(geometry, CsvRowWriter::Layout::MultiFrame);
        std::string text;
        writer.appendHeader(text);
        for (std::size_t n = 0; n < frames.size(); ++n) {
            writer.appendFrame(text, frames[n], filter, static_cast<int>(n + 1));
        }
        return text;
    }

    QTemporaryDir dir;
    ChannelGeometry geometry;
};

CsvExportFilter evenGroups(float maxAngle) {
    CsvExportFilter f;
    for (int c = 0; c < 128; ++c) {
        f.channels[c] = (c / 4) % 2 == 0;
    }
    f.minAngle = 0;
    f.maxAngle = maxAngle;
    return f;
}

} // namespace

TEST_F(CsvExporting, TheSuspendedFrameIsSavedWholeGroupedByChannel) {
    const MuchLidarData shown = frameNumber(1);
    show(shown);
    window.channelSelection().laserSelected[5] = 0; // the save ignores the channel selection
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

    CsvRowWriter writer(geometry, CsvRowWriter::Layout::SingleFrame);
    std::string expected;
    writer.appendHeader(expected);
    writer.appendFrame(expected, shown, CsvExportFilter{});
    EXPECT_EQ(fileText(path), expected);
    EXPECT_NE(expected.find(",0,"), std::string::npos); // distance-0 points are in
    EXPECT_EQ(window.statusBar()->currentMessage(),
              QString::fromUtf8("frame é.csv: 1 frame, %1 rows written").arg(rowsOf(expected)));

    // Cancelling the dialog writes nothing.
    FileDialogAnswer cancel{QString()};
    button("toolButton_4")->click();
    EXPECT_EQ(cancel.asked, 1);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

TEST_F(CsvExporting, EveryFrameOfAnExportIsWrittenThoughNotDrawnAndItStopsByItself) {
    const QString path = dir.filePath("run.csv");
    startExport(path, "4", true, "90");
    ASSERT_TRUE(window.csvExport().active());

    // Six frames queued at once: far faster than they are drawn.
    std::vector<MuchLidarData> frames;
    for (int n = 1; n <= 6; ++n) {
        frames.push_back(frameNumber(n));
    }
    const std::uint64_t delivered = window.framesDelivered();
    const std::uint64_t drawn = window.drawing().framesDrawn();
    for (const auto& f : frames) {
        queue(f);
    }
    ASSERT_TRUE(waitForDrawn(delivered, 6));
    EXPECT_LT(window.drawing().framesDrawn() - drawn, 6u);
    EXPECT_FALSE(window.csvExport().active());
    EXPECT_EQ(window.csvExport().exportedFrames(), 4);
    window.csvExport().finish(); // waits for the writer

    const std::string expected =
        expectedExport({frames.begin(), frames.begin() + 4}, evenGroups(90));
    EXPECT_EQ(fileText(path), expected);
    // Said once the last frame is in the file.
    EXPECT_TRUE(waitUntil([&] { return !window.statusBar()->currentMessage().isEmpty(); }));
    EXPECT_EQ(window.statusBar()->currentMessage(),
              QStringLiteral("run.csv: 4 frames, %1 rows written").arg(rowsOf(expected)));
    // The frame after the export is drawn again.
    EXPECT_EQ(window.lastFrameReceived(), frames[5]);
    EXPECT_GT(window.lastConversion().shown->size(), 0u);
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
    EXPECT_EQ(fileText(path), expectedExport({frameNumber(1), frameNumber(2), frameNumber(3)},
                                             ExportSettings{}.filter()));
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
    ASSERT_TRUE(waitUntil([&] { return boxes.boxes.size() == 2; }));
    EXPECT_TRUE(boxes.boxes[1].text.contains("/dev/full: No space left on device"))
        << boxes.boxes[1].text.toStdString();
    EXPECT_FALSE(window.csvExport().active());
    // Frames draw again.
    show(frameNumber(2));
    EXPECT_GT(window.lastConversion().shown->size(), 0u);
}

TEST_F(CsvExporting, ClosingTheWindowKeepsEveryFrameWrittenSoFar) {
    const QString path = dir.filePath("closed.csv");
    startExport(path, "10");
    show(frameNumber(1));
    show(frameNumber(2));
    window.close();
    EXPECT_EQ(fileText(path),
              expectedExport({frameNumber(1), frameNumber(2)}, ExportSettings{}.filter()));
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
    ASSERT_TRUE(waitUntil([this] { return !window.areaPicking().armed(); }));
    ASSERT_TRUE(window.areaPicking().selectionActive());

    CsvExportFilter inBox;
    inBox.box = window.areaPicking().box();
    const QString multi = dir.filePath("multi.csv");
    startExport(multi, "1", false, "360");
    show(frame);
    window.csvExport().finish();
    CsvExportFilter multiFilter = ExportSettings{}.filter();
    multiFilter.maxAngle = 360;
    multiFilter.box = inBox.box;
    const std::string expectedMulti = expectedExport({frame}, multiFilter);
    EXPECT_EQ(fileText(multi), expectedMulti);
    EXPECT_EQ(std::count(expectedMulti.begin(), expectedMulti.end(), '\n'), 5);

    button("tolbtn_SuspendData")->click();
    const QString single = dir.filePath("single.csv");
    FileDialogAnswer answer(single);
    button("toolButton_4")->click();
    CsvRowWriter writer(geometry, CsvRowWriter::Layout::SingleFrame);
    std::string expected;
    writer.appendHeader(expected);
    writer.appendFrame(expected, frame, inBox);
    EXPECT_EQ(fileText(single), expected);
}

TEST_F(CsvExporting, AnExportOfAPlayedCaptureMatchesTheCommandLineExport) {
    const QString bin = qEnvironmentVariable("VANTOR_BIN_DIR");
    const QString capture = dir.filePath("street.pcap");
    QProcess sim;
    sim.start(bin + "/sensor-sim",
              {"--quiet", "--step", "1", "--frames", "8", "--write-pcap", capture});
    ASSERT_TRUE(sim.waitForFinished(30000));
    ASSERT_EQ(sim.exitCode(), 0) << sim.readAllStandardError().toStdString();

    // The player's first frame holds what comes before the first marker
    // (nothing here), which the command line passes over: the export starts
    // behind it, paused, with the settings entered before playing.
    ASSERT_TRUE(window.playbackControl().openCapture(capture));
    fillExportSettings("3", true, "90");
    const std::uint64_t before = window.framesDelivered();
    button("toolButton_Play")->click();
    ASSERT_TRUE(waitUntil([&] { return window.framesDelivered() > before; }));
    button("toolButton_Play")->click();
    // A frame still on its way arrives before or after the export starts;
    // either way it is counted here or exported.
    const auto played = static_cast<int>(window.framesDelivered() - before);
    const QString gui = dir.filePath("gui.csv");
    confirmExport(gui, "3");
    button("toolButton_Play")->click();
    ASSERT_TRUE(waitUntil([this] { return !window.csvExport().active(); }, 30000));
    window.csvExport().finish();

    QStringList evenChannels;
    for (int g = 0; g < 32; g += 2) {
        evenChannels << QString("%1-%2").arg(4 * g).arg(4 * g + 3);
    }
    const QString tool = dir.filePath("tool.csv");
    QProcess exporter;
    exporter.start(bin + "/lidar-export", {"--quiet", "--skip", QString::number(played - 1),
                                           "--frames", "3", "--channels", evenChannels.join(','),
                                           "--min-angle", "0", "--max-angle", "90", capture, tool});
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
