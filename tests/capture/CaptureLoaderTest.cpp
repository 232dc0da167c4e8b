#include "capture/CaptureLoader.h"
#include "SampleCapture.h"
#include "support/QtWait.h"

TEST(CaptureLoader, LoadsOnItsOwnThreadAndACancelEndsTheIndexingAtOnce) {
    QTemporaryDir dir;
    const auto sample = SampleCapture::standard();
    const QString path = dir.filePath("sample.pcap");
    writeCapture(path, sample->packets.payloads);

    CaptureLoader loader;
    // Counted on this thread (a spy would be called on the loader's).
    QObject here;
    int loads = 0;
    QObject::connect(&loader, &QThread::finished, &here, [&] { ++loads; });
    loader.load(path);
    ASSERT_TRUE(waitUntil([&] { return loads == 1; }));
    ASSERT_TRUE(loader.capture()) << loader.errorText().toStdString();
    EXPECT_EQ(loader.capture()->captureFrameCount(),
              static_cast<int>(sample->markerPackets.size()));

    // Cancelled at the first progress report: no record after it is read.
    int reports = 0;
    QObject::connect(
        &loader, &CaptureLoader::SendProgress, &loader,
        [&](quint64, quint64) {
            ++reports;
            loader.cancel();
        },
        Qt::DirectConnection);
    loader.load(path);
    ASSERT_TRUE(waitUntil([&] { return loads == 2; }));
    EXPECT_FALSE(loader.capture());
    EXPECT_TRUE(loader.cancelled());
    EXPECT_EQ(reports, 1);
    EXPECT_TRUE(loader.errorText().contains("cancelled")) << loader.errorText().toStdString();
}
