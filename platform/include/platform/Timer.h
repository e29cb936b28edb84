#pragma once

#include <functional>

namespace tavrik::platform {

/// A timer of the window: while enabled it raises its tick every interval. The
/// interval is fixed when the timer is made; code only switches it on and off.
/// Enabling a timer that is already enabled starts a fresh interval.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void setEnabled(bool enabled) = 0;
    [[nodiscard]] virtual bool isEnabled() const = 0;
    virtual void setHandler(std::function<void()> handler) = 0;
};

} // namespace tavrik::platform
