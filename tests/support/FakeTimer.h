#pragma once

#include "VirtualClock.h"
#include "platform/Timer.h"

#include <chrono>
#include <functional>
#include <optional>

namespace tavrik::test {

/// A window timer on a VirtualClock: while enabled it ticks every interval of
/// virtual time. Enabling it again starts a fresh interval.
class FakeTimer final : public platform::Timer {
public:
    FakeTimer(VirtualClock& clock, std::chrono::milliseconds interval);
    ~FakeTimer() override;
    FakeTimer(const FakeTimer&) = delete;
    FakeTimer& operator=(const FakeTimer&) = delete;

    void setEnabled(bool enabled) override;
    [[nodiscard]] bool isEnabled() const override { return m_pending.has_value(); }
    void setHandler(std::function<void()> handler) override;

    /// Raises a tick now, as if the interval had passed (whether or not enabled).
    void fire();
    /// Ticks raised so far.
    [[nodiscard]] int ticks() const { return m_ticks; }

private:
    void arm();

    VirtualClock& m_clock;
    std::chrono::microseconds m_interval;
    std::optional<VirtualClock::EventId> m_pending;
    std::function<void()> m_handler;
    int m_ticks = 0;
};

} // namespace tavrik::test
