#pragma once

#include <QDebug>
#include <QThread>
#include <atomic>

// Asks a worker to stop through its flag and waits until it has ended,
// writing `waitLine` to the debug log on each poll. The flag is cleared
// afterwards, so a request that raced with the worker ending on its own
// cannot stop the next run.
inline void stopThreadAndWait(QThread& thread, std::atomic<bool>& stop, const char* waitLine) {
    if (!thread.isRunning()) {
        return;
    }
    stop = true;
    while (!thread.wait(10)) {
        qDebug() << waitLine;
    }
    stop = false;
}
