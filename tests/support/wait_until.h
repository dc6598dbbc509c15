#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace testing_support {

// Runs the event loop until the condition holds or the deadline passes, and
// tells whether it held. Tests wait on what they need, never for a fixed time.
template <typename Condition>
bool WaitUntil(Condition&& condition, int timeoutMs = 5000) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

}  // namespace testing_support
