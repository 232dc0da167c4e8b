#pragma once

#include <QTest>
#include <functional>

// Processes events until `done` holds or the time runs out.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 30000) {
    return QTest::qWaitFor(done, timeoutMs);
}
