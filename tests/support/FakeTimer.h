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
    FakeTimer(VirtualClock& clock, std::chrono::milliseconds interval)
        : m_clock(clock), m_interval(interval) {}
    ~FakeTimer() override { setEnabled(false); }
    FakeTimer(const FakeTimer&) = delete;
    FakeTimer& operator=(const FakeTimer&) = delete;

    void setEnabled(bool enabled) override {
        if (m_pending) {
            m_clock.cancel(*m_pending);
            m_pending.reset();
        }
        if (enabled) {
            // A window timer keeps ticking until it is switched off.
            m_pending = m_clock.schedule(m_clock.now() + m_interval, [this] {
                m_pending.reset();
                setEnabled(true);
                fire();
            });
        }
    }
    void setInterval(std::chrono::milliseconds interval) override { m_interval = interval; }
    [[nodiscard]] bool isEnabled() const override { return m_pending.has_value(); }
    void setHandler(std::function<void()> handler) override { m_handler = std::move(handler); }

    /// Raises a tick now, as if the interval had passed (whether or not enabled).
    void fire() {
        ++m_ticks;
        if (m_handler) {
            m_handler();
        }
    }
    /// Ticks raised so far.
    [[nodiscard]] int ticks() const { return m_ticks; }

private:
    VirtualClock& m_clock;
    std::chrono::microseconds m_interval;
    std::optional<VirtualClock::EventId> m_pending;
    std::function<void()> m_handler;
    int m_ticks = 0;
};

} // namespace tavrik::test
