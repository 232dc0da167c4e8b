#pragma once

#include <QDebug>
#include <QThread>
#include <atomic>

// Asks a worker to stop through its flag and waits until it has ended,
// writing `waitLine` to the debug log on each poll. The flag is cleared
// afterwards, so a request that raced with the worker ending on its own
// cannot stop the next run. Clearing it by exchange also reads the worker's
// own last write of the flag: that orders everything the worker did before
// whatever the caller does next (destroying it, say) in a way the thread
// sanitizer sees, which the end of a QThread, signalled inside Qt, is not.
inline void stopThreadAndWait(QThread& thread, std::atomic<bool>& stop, const char* waitLine) {
    if (thread.isRunning()) {
        stop = true;
        while (!thread.wait(10)) {
            qDebug() << waitLine;
        }
    }
    stop.exchange(false);
}
