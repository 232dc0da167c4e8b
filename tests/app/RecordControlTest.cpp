#include "FileDialogAnswer.h"
#include "WindowFixture.h"

#include "../capture/LoopbackCapture.h"
#include "app/RecordControl.h"
#include "capture/CaptureFile.h"
#include "capture/CaptureRecorder.h"
#include "support/LoopbackOnly.h"

#include <QFileDialog>
#include <QLabel>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>

namespace {

// What the save dialog offered before it was answered.
struct SaveDialogSeen {
    QString title;
    QStringList filters;
    QString proposedName;
    bool native = true;
};

class RecordControlTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        ASSERT_TRUE(sink.bindAny(0));
        child<QLineEdit>("lineEdit_portNumber")->setText(QString::number(sink.localPort()));
    }

    QToolButton* record() { return button("toolButton_SavePcapData"); }
    QLabel* figures() { return child<QLabel>("label_Recording"); }
    bool idle() { return !window.recordControl().recording() && !record()->isChecked(); }

    void sendData(int count) {
        const std::array<std::uint8_t, 1206> payload{};
        for (int i = 0; i < count; ++i) {
            ASSERT_TRUE(
                sender.sendTo("127.0.0.1", sink.localPort(), payload.data(), payload.size()));
        }
    }

    // Clicks Record and answers the save dialog with `path`.
    SaveDialogSeen clickRecordAndSaveAs(const QString& path) {
        const FileDialogAnswer answer(path);
        record()->click();
        return {answer.caption, answer.filters, answer.proposedName, !answer.nonNative};
    }

    UdpSocket sink;
    QTemporaryDir dir;
};

} // namespace

TEST_F(RecordControlTest, RecordButtonRecordsIntoTheChosenFileUntilPressedAgain) {
    if (!onlyLoopbackInterfaces()) {
        GTEST_SKIP() << "needs a network namespace with loopback only, where it records on lo";
    }
    SKIP_WITHOUT_CAPTURE_PERMISSION();
    AdapterChooser::forget();
    const QString path = dir.filePath("recorded.pcap");
    const SaveDialogSeen seen = clickRecordAndSaveAs(path);
    EXPECT_EQ(seen.title, "Save PCAP");
    EXPECT_EQ(seen.filters, QStringList{"WireSharkCaptureFile (*.pcap)"});
    EXPECT_TRUE(QRegularExpression(R"(^Vantor_\d{4}-\d\d-\d\d-\d\d-\d\d\.pcap$)")
                    .match(seen.proposedName)
                    .hasMatch())
        << qPrintable(seen.proposedName);
    EXPECT_FALSE(seen.native);

    ASSERT_TRUE(window.recordControl().recording());
    EXPECT_TRUE(record()->isChecked());
    ASSERT_TRUE(waitUntil([&] { return window.recordControl().recorder().fileCreated(); }));
    sendData(3);
    EXPECT_TRUE(waitUntil([&] {
        return figures()->isVisible() &&
               figures()->text().contains(
                   QStringLiteral(": 3 packets, %1 bytes").arg(24 + 3 * 1264));
    })) << qPrintable(figures()->text());

    record()->click();
    EXPECT_TRUE(idle());
    EXPECT_FALSE(figures()->isVisible());
    // What was written, once the recorder has ended.
    EXPECT_TRUE(waitUntil([&] {
        return QRegularExpression(R"(^recorded\.pcap: 3 packets, \d+ s$)")
            .match(window.statusBar()->currentMessage())
            .hasMatch();
    })) << qPrintable(window.statusBar()->currentMessage());
    QString error;
    const auto capture = CaptureFile::open(path, &error);
    ASSERT_TRUE(capture) << qPrintable(error);
    EXPECT_EQ(capture->capturePacketCount(), 3);
}

TEST(RecordControl, TheEndOfARecordingIsToldInTheUsersWords) {
    EXPECT_EQ(RecordControl::writtenText("rec.pcap", 70027, 65400),
              "rec.pcap: 70,027 packets, 65 s");
    EXPECT_EQ(RecordControl::writtenText("one.pcap", 1, 499), "one.pcap: 1 packet, 0 s");
    EXPECT_EQ(RecordControl::writtenText("big.pcap", 1234567, 3600000),
              "big.pcap: 1,234,567 packets, 3600 s");
}

TEST_F(RecordControlTest, FailuresAreShownAndLeaveTheButtonIdle) {
    SKIP_WITHOUT_CAPTURE_PERMISSION();
    const struct {
        const char* portText;
        std::string adapter;
        QString path;
        const char* expected;
    } cases[] = {
        {"abc", "lo", dir.filePath("a.pcap"), "The capture filter \"port abc\" is not valid"},
        {"2368", "lo", dir.filePath("missing/b.pcap"), "cannot be created"},
        {"2368", "nosuch0", dir.filePath("c.pcap"), "The network adapter nosuch0 does not exist"},
    };
    for (const auto& c : cases) {
        child<QLineEdit>("lineEdit_portNumber")->setText(c.portText);
        ModalCatcher catcher;
        window.recordControl().startRecording(c.adapter, c.path);
        ASSERT_TRUE(waitUntil([&] { return idle() && !catcher.boxes.empty(); })) << c.expected;
        EXPECT_EQ(catcher.boxes.size(), 1u);
        EXPECT_EQ(catcher.boxes.front().title, "Tips");
        EXPECT_TRUE(catcher.boxes.front().text.contains(c.expected))
            << qPrintable(catcher.boxes.front().text);
        EXPECT_FALSE(figures()->isVisible());
        EXPECT_FALSE(QFile::exists(c.path)) << qPrintable(c.path);
    }
}

TEST_F(RecordControlTest, ClosingTheWindowEndsTheRecordingWithItsFileComplete) {
    SKIP_WITHOUT_CAPTURE_PERMISSION();
    const QString path = dir.filePath("closed.pcap");
    window.recordControl().startRecording("lo", path);
    ASSERT_TRUE(waitUntil([&] { return window.recordControl().recorder().fileCreated(); }));
    sendData(1);
    ASSERT_TRUE(waitUntil([&] { return window.recordControl().recorder().packetsWritten() == 1; }));

    window.close();
    EXPECT_FALSE(window.recordControl().recording());
    EXPECT_EQ(QFile(path).size(), 24 + 1264);
}
