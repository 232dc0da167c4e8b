#include "app/DrawCoalescer.h"
#include "support/QtWait.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>

TEST(DrawCoalescer, QueuedFramesShareOneDrawOfTheNewest) {
    int latest = 0;
    std::vector<int> drawn;
    DrawCoalescer coalescer([&] { drawn.push_back(latest); });

    for (latest = 1; latest <= 5; ++latest) {
        coalescer.frameArrived();
    }
    latest = 5;
    EXPECT_TRUE(drawn.empty()); // nothing is drawn inside frameArrived
    EXPECT_TRUE(coalescer.drawPending());
    QCoreApplication::processEvents();
    EXPECT_EQ(drawn, std::vector<int>{5});
    EXPECT_EQ(coalescer.framesArrived(), 5u);
    EXPECT_EQ(coalescer.framesDrawn(), 1u);
    EXPECT_EQ(coalescer.drawsSkipped(), 4u);
    EXPECT_FALSE(coalescer.drawPending());

    // A frame after the draw gets a draw of its own.
    latest = 6;
    coalescer.frameArrived();
    ASSERT_TRUE(waitUntil([&] { return !coalescer.drawPending(); }));
    EXPECT_EQ(drawn, (std::vector<int>{5, 6}));
    EXPECT_EQ(coalescer.drawsSkipped(), 4u);
}

TEST(DrawCoalescer, DrawRunsAfterTheEventsAlreadyQueued) {
    // Frames queued before the draw request are all seen before the draw.
    std::vector<std::string> order;
    QObject context;
    DrawCoalescer coalescer([&] { order.push_back("draw"); });
    QMetaObject::invokeMethod(
        &context,
        [&] {
            order.push_back("frame 1");
            coalescer.frameArrived();
        },
        Qt::QueuedConnection);
    QMetaObject::invokeMethod(
        &context,
        [&] {
            order.push_back("frame 2");
            coalescer.frameArrived();
        },
        Qt::QueuedConnection);
    ASSERT_TRUE(waitUntil([&] { return coalescer.framesDrawn() == 1; }));
    EXPECT_EQ(order, (std::vector<std::string>{"frame 1", "frame 2", "draw"}));
}

TEST(DrawCoalescer, EventsPostedAfterADrawAreHandledBeforeTheNextDraw) {
    // A slow draw during which a frame arrives, and the user's input right
    // behind the frame: the input is handled before the next draw starts.
    std::vector<std::string> order;
    QObject context;
    const auto input = [&] { order.push_back("input"); };
    DrawCoalescer coalescer([&] {
        order.push_back("draw");
        if (order.size() == 1) {
            QMetaObject::invokeMethod(
                &context,
                [&] {
                    coalescer.frameArrived();
                    QMetaObject::invokeMethod(&context, input, Qt::QueuedConnection);
                },
                Qt::QueuedConnection);
        }
        QThread::msleep(100);
    });
    coalescer.frameArrived();
    ASSERT_TRUE(waitUntil([&] { return coalescer.framesDrawn() == 2; }));
    EXPECT_EQ(order, (std::vector<std::string>{"draw", "input", "draw"}));
}

TEST(DrawCoalescer, HeldItDrawsNothingAndOnResumeDrawsTheNewestOnce) {
    int latest = 0;
    std::vector<int> drawn;
    DrawCoalescer coalescer([&] { drawn.push_back(latest); });
    latest = 1;
    coalescer.frameArrived(); // posted before the hold
    coalescer.hold();
    for (latest = 2; latest <= 4; ++latest) {
        coalescer.frameArrived();
    }
    latest = 4;
    QCoreApplication::processEvents();
    EXPECT_TRUE(drawn.empty());
    EXPECT_TRUE(coalescer.drawPending());
    coalescer.resume();
    ASSERT_TRUE(waitUntil([&] { return !coalescer.drawPending(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(drawn, std::vector<int>{4});
    EXPECT_EQ(coalescer.drawsSkipped(), 3u);
}
