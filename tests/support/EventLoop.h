#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <functional>

namespace tavrik::test {

/// Runs the real event loop until `done` holds or `milliseconds` pass; false on time-out.
/// For end-to-end tests against real devices, where events come from outside.
[[nodiscard]] inline bool waitFor(const std::function<bool()>& done, int milliseconds) {
    const QDeadlineTimer deadline(milliseconds);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

} // namespace tavrik::test
