#include "platform/Clock.h"

namespace tavrik::platform {

std::chrono::microseconds SystemClock::steady() const {
    return std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

QDateTime SystemClock::now() const {
    return QDateTime::currentDateTime();
}

} // namespace tavrik::platform
