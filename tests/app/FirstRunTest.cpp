// A first run without a sensor: the empty view's hint, the sample capture.
#include "WindowFixture.h"

#include "app/EmptyViewHint.h"
#include "app/PlaybackBar.h"
#include "app/SampleCapture.h"
#include "capture/ReadLiveOffData.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

// The user's data folder of the test, and the simulator it finds.
class FirstRun : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        ASSERT_TRUE(data.isValid());
        previousData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
        window.sampleCapture() = SampleCapture(qEnvironmentVariable("VANTOR_BIN_DIR"));
    }
    void TearDown() override {
        qputenv("XDG_DATA_HOME", previousData);
        WindowFixture::TearDown();
    }

    PlaybackBar& bar() { return window.playbackControl(); }
    bool readyToPlay() {
        return waitUntil([&] {
            return bar().capture() && button("toolButton_Play")->isEnabled() &&
                   !window.drawing().drawPending();
        });
    }

    QTemporaryDir data;
    QByteArray previousData;
};

// A stand-in for sensor-sim in a folder of its own, running `script`.
QString fakeSimulator(const QTemporaryDir& folder, const char* script) {
    const QString path = folder.filePath("sensor-sim");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("#!/bin/sh\n") + script);
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return folder.path();
}

} // namespace

TEST_F(FirstRun, TheEmptyViewOffersASampleCaptureWrittenOnceAndOpenedReadyToPlay) {
    EmptyViewHint& hint = window.emptyViewHint();
    ASSERT_TRUE(hint.isVisible());
    EXPECT_TRUE(hint.text().contains("Open a sample capture"));
    const QString sample = SampleCapture::path();
    ASSERT_TRUE(sample.startsWith(data.path())) << qPrintable(sample);
    ASSERT_FALSE(QFile::exists(sample));

    // The link, as a click on it sends it.
    emit hint.linkActivated(QStringLiteral("sample"));
    ASSERT_TRUE(readyToPlay());
    EXPECT_EQ(bar().capture()->captureFileName(), sample);
    EXPECT_FALSE(QFile::exists(sample + ".part"));
    EXPECT_FALSE(hint.isVisible());
    // The simulator's street on screen: its first whole frame (the capture
    // begins at a marker), with the "Offline" tab in front.
    EXPECT_EQ(window.playbackPosition().currentFrame, 1);
    EXPECT_GT(window.lastFrameReceived().size(), 100000u);
    auto* tabs = child<QTabWidget>("tabWidget");
    EXPECT_EQ(tabs->tabText(tabs->currentIndex()), "Offline");
    EXPECT_TRUE(window.statusBar()->currentMessage().endsWith("frames, ready to play"))
        << qPrintable(window.statusBar()->currentMessage());
    button("toolButton_Play")->click();
    EXPECT_TRUE(waitUntil([&] { return window.playbackPosition().currentFrame >= 3; }));
    button("toolButton_Play")->click();

    // Once written, the capture is reused: without a simulator it still
    // opens, from the "Offline" tab's button too.
    const QDateTime written = QFileInfo(sample).lastModified();
    window.sampleCapture() = SampleCapture(data.filePath("nowhere"));
    button("toolButton_OpenSample")->click();
    ASSERT_TRUE(readyToPlay());
    EXPECT_EQ(bar().capture()->captureFileName(), sample);
    EXPECT_EQ(QFileInfo(sample).lastModified(), written);
}

TEST_F(FirstRun, ASimulatorThatFailsOrIsMissingLeavesNoSampleAndSaysWhy) {
    ModalCatcher boxes;
    window.sampleCapture() = SampleCapture(data.filePath("nowhere"));
    button("toolButton_OpenSample")->click();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].title, "Tips");
    EXPECT_TRUE(boxes.boxes[0].text.contains(data.filePath("nowhere/sensor-sim")))
        << qPrintable(boxes.boxes[0].text);

    // One that stops half way: what it wrote goes, and its words are shown.
    QTemporaryDir programs;
    window.sampleCapture() = SampleCapture(
        fakeSimulator(programs, "echo partial > \"$3\"\necho 'disk full' >&2\nexit 1\n"));
    button("toolButton_OpenSample")->click();
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_TRUE(boxes.boxes[1].text.contains("disk full")) << qPrintable(boxes.boxes[1].text);
    EXPECT_FALSE(QFile::exists(SampleCapture::path()));
    EXPECT_FALSE(QFile::exists(SampleCapture::path() + ".part"));
    EXPECT_FALSE(bar().capture());
    EXPECT_TRUE(window.emptyViewHint().isVisible());
}
