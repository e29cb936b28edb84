#pragma once

#include <chrono>
#include <functional>

namespace tavrik::platform {

/// A timer of the window: while enabled it raises its tick every interval. The
/// interval is given when the timer is made, and may be changed while it is off.
/// Enabling a timer that is already enabled starts a fresh interval.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void setEnabled(bool enabled) = 0;
    /// The interval from the next time the timer is enabled.
    virtual void setInterval(std::chrono::milliseconds interval) = 0;
    [[nodiscard]] virtual bool isEnabled() const = 0;
    virtual void setHandler(std::function<void()> handler) = 0;
};

} // namespace tavrik::platform
